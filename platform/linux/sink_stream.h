// SinkStream: one stream of a sink writer. It holds the container stream and
// the encoder that feeds it. AddStream makes it from the output type (which
// must name a codec the container can carry); SetInputMediaType checks the
// input type and opens the encoder (MF_E_TOPO_CODEC_NOT_FOUND when the
// encoder is missing or does not open); writeSample converts one sample,
// encodes it and hands the packets to the container, interleaved with the
// other streams'; drain empties the encoder at the end. The video and the
// audio stream differ only in how they read types and convert samples.
#pragma once

#include <map>
#include <memory>
#include <optional>

#include "platform/linux/encoder_choice.h"
#include "platform/linux/ffmpeg_handles.h"
#include "platform/media_foundation.h"

namespace MorvalePlatform {

struct StreamStatistics {
    QWORD samplesReceived = 0;  // samples taken (a refused one is not counted)
    QWORD samplesEncoded = 0;   // frames the encoder took
    QWORD packetsWritten = 0;
    QWORD bytesWritten = 0;
    LONGLONG lastTimeReceived = 0;
    LONGLONG lastTimeWritten = 0;
};

class SinkStream {
public:
    virtual ~SinkStream() = default;
    SinkStream(const SinkStream&) = delete;
    SinkStream& operator=(const SinkStream&) = delete;

    // AddStream: the stream for the output type, added to the container.
    // MF_E_INVALIDMEDIATYPE when the type is incomplete, names a subtype this
    // platform has no codec for, or one the container cannot carry. Whether
    // an encoder exists is SetInputMediaType's question, as on Windows.
    static HRESULT create(AVFormatContext& container, IMFMediaType* outputType, std::unique_ptr<SinkStream>& stream);

    // SetInputMediaType: checks the input type against the output type and
    // (re)opens the encoder.
    HRESULT setInputType(IMFMediaType* inputType);
    bool hasInputType() const noexcept { return encoder_ != nullptr; }

    // Before the container's header: the stream takes the encoder's
    // parameters.
    HRESULT prepareHeader();
    // One sample (its time, duration and contiguous bytes).
    HRESULT writeSample(IMFSample* sample);
    // Encodes what the encoder still holds and writes it.
    HRESULT drain();

    const StreamStatistics& statistics() const noexcept { return statistics_; }

protected:
    SinkStream(AVFormatContext& container, const CodecChoice& choice);

    // Reads the output type; called once, from create, before the container
    // has the stream.
    virtual HRESULT readOutputType(IMFMediaType* outputType) = 0;
    // Checks the input type; the encoder is not open yet.
    virtual HRESULT readInputType(IMFMediaType* inputType) = 0;
    // Sets the encoder's parameters before it is opened.
    virtual void configureEncoder(AVCodecContext& encoder, const AVCodec& codec) = 0;
    // After the encoder opened: conversion state.
    virtual HRESULT prepareConversion(AVCodecContext& encoder) = 0;
    // Converts the sample's bytes and sends frames to the encoder via
    // sendFrame; time and duration in 100 ns.
    virtual HRESULT encodeBytes(const BYTE* bytes, DWORD length, LONGLONG time, LONGLONG duration) = 0;
    // Sends what conversion still buffers, before the encoder is drained.
    virtual HRESULT flushConversion() { return S_OK; }

    // Sends one frame (pts in the encoder's time base) and writes the
    // packets it gives; duration (in the packets' time base) is given to
    // the packet that carries this frame, and so is time, when given (an
    // encoder that counts frames and keeps their order).
    HRESULT sendFrame(AVFrame* frame, int64_t duration, std::optional<int64_t> time = std::nullopt);

    // The time base of the packets' times; 0/0: the encoder's.
    AVRational packetTimeBase_{0, 0};
    AVFormatContext& container_;
    AVStream* stream_ = nullptr;  // set once the output type is accepted
    const CodecChoice& choice_;
    CodecContextPtr encoder_;

private:
    HRESULT receivePackets();
    AVRational packetTimeBase() const;

    struct PacketTimes {
        int64_t duration;
        std::optional<int64_t> time;
    };

    PacketPtr packet_;
    std::map<int64_t, PacketTimes> times_;  // by the frame's pts, for packets not written yet
    StreamStatistics statistics_;
};

}  // namespace MorvalePlatform
