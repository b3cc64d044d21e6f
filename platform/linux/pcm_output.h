// PcmOutput: an audio stream decoded as it is read into interleaved PCM (or
// float) samples of the format the caller set; at the end of the stream
// what the resampler still holds comes out before the end is reported.
#pragma once

#include <memory>

#include "platform/linux/pcm_converter.h"
#include "platform/linux/stream_decoder.h"
#include "platform/linux/stream_output.h"

namespace MorvalePlatform {

class PcmOutput final : public StreamOutput {
public:
    // The format a requested PCM or float type asks for: its channel count
    // and rate, else the native ones; its bits per sample, else the
    // source's own for integer PCM, 32 for float and 16 for everything
    // else. MF_E_INVALIDMEDIATYPE when it cannot be delivered.
    static HRESULT formatFor(IMFMediaType& requested, const MediaType& native, const GUID& subtype,
                             PcmFormat& format);
    // The current type that describes samples of that format.
    static ComPtr<MediaType> currentType(const PcmFormat& format, const GUID& subtype);
    // MF_E_TOPO_CODEC_NOT_FOUND when the stream cannot be decoded.
    static HRESULT open(const AVStream& stream, const PcmFormat& format, std::unique_ptr<PcmOutput>& output);

    // Samples from now on in another format; the decoder goes on where it
    // is.
    void setFormat(const PcmFormat& format);

    HRESULT read(StreamTypes& stream, PacketFeed& packets, DWORD& flags,
                 std::optional<SampleParts>& parts) override;
    void flush() override { decoder_->flush(); }
    void restart(bool atStart) override;

private:
    PcmOutput(std::unique_ptr<StreamDecoder> decoder, const PcmFormat& format)
        : decoder_(std::move(decoder)), converter_(std::make_unique<PcmConverter>(format)) {}

    std::unique_ptr<StreamDecoder> decoder_;
    std::unique_ptr<PcmConverter> converter_;
    bool flushed_ = false;  // the resampler's tail has been delivered
    LONGLONG nextTime_ = 0;  // of a sample whose frame has no time
};

}  // namespace MorvalePlatform
