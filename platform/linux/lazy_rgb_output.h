// LazyRgbOutput: a video stream whose samples take their times, durations
// and order from the demuxed packets; a frame lasts until the next one
// starts, and the last one to the end of a Matroska or MP4 (QuickTime)
// file whose only stream it is (Matroska's packets all carry the track's
// default duration, and an MP4 file gives a reordered last frame the
// spacing of decoding times, while its edit list ends where the frame
// does); a frame is decoded and converted only
// when its sample's buffer is asked for (LazyVideoDecoder). The first read
// checks that the packets allow it; a stream whose frames' times or size
// only the decoder knows is handed over to a DecodedRgbOutput, with the
// packets read so far.
#pragma once

#include <memory>
#include <optional>

#include "platform/linux/lazy_video_decoder.h"
#include "platform/linux/rgb_output.h"

namespace MorvalePlatform {

class LazyRgbOutput final : public RgbOutput {
public:
    // MF_E_TOPO_CODEC_NOT_FOUND when the stream cannot be decoded.
    static HRESULT open(const AVFormatContext& format, const AVStream& stream, RgbOutputState state,
                        std::unique_ptr<LazyRgbOutput>& output);
    // Samples already read keep what they need; packets read ahead for
    // samples not yet issued are dropped.
    ~LazyRgbOutput() override;

    HRESULT read(StreamTypes& stream, PacketFeed& packets, DWORD& flags,
                 std::optional<SampleParts>& parts) override;
    std::unique_ptr<StreamOutput> takeSuccessor() override { return std::move(successor_); }
    void flush() override { decoder_->skipUnissued(); }
    HRESULT prepareRestart() override;
    void restart(bool atStart) override;

private:
    LazyRgbOutput(RgbOutputState state, std::shared_ptr<LazyVideoDecoder> decoder, const AVFormatContext& format,
                  const AVStream& stream)
        : RgbOutput(std::move(state)), decoder_(std::move(decoder)), format_(format), stream_(stream) {}

    // The duration of the last frame, which starts at time: to the file's
    // end where that is the stream's, else the packet's.
    int64_t lastDuration(int64_t time, int64_t packetDuration);
    // The end of a Matroska or MP4 file of one stream, in the stream's time
    // base.
    std::optional<int64_t> fileEnd() const;

    // Hands the packets read so far back to the feed and the stream over to
    // a decoder that decodes as it reads.
    HRESULT handOver(PacketFeed& packets);

    // Shared with the samples waiting for their frames.
    std::shared_ptr<LazyVideoDecoder> decoder_;
    const AVFormatContext& format_;
    const AVStream& stream_;
    std::optional<std::optional<int64_t>> end_;  // the stream's end in its time base, once asked
    bool checked_ = false;  // the first packets showed whether lazy decoding can work
    // For a seek while samples still wait on decoder_: opened by
    // prepareRestart, taken by restart.
    std::shared_ptr<LazyVideoDecoder> fresh_;
    std::unique_ptr<StreamOutput> successor_;
};

}  // namespace MorvalePlatform
