// StreamingRun: one run of a graph over one file, on its own thread (the
// graph's streaming thread): it demultiplexes the file from where the last
// run left it (or from the start, when a rewind was asked for) and hands
// each frame of the streams connected to sample grabbers to the grabber's
// callback, as fast as it goes (no clock).
//
// Frames are not decoded before someone looks at them: each stream's
// packets go to a LazyVideoDecoder, and samples come out in presentation
// order with the times, durations and key-frame flags of their packets.
// SampleCB gets a sample that decodes and converts its frame only when its
// bytes are asked for, so counting frames costs demultiplexing alone;
// BufferCB gets the frame, decoded then, as a bottom-up 24-bit bitmap with
// rows padded to 4 bytes. A frame whose packet does not decode shows the
// nearest earlier picture that does (LazyVideoDecoder); one without any
// gives no BufferCB call, as a decoder that gives no picture for it. A stream
// whose packets do not allow this (packets without presentation times, a
// size only the decoder knows, a first packet that is not a key frame) is
// decoded as it is read, every frame. Sample times are in 100 ns from the
// start of the file.
//
// The run ends at the end of the data, after a one-shot grabber's first
// frame, or when stop() is called; a callback that blocks holds the run (and
// stop()) until it returns. The thread holds no reference to the graph.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/linux/ds_bgr24_converter.h"
#include "platform/linux/ds_filters.h"
#include "platform/linux/ds_media_sample.h"
#include "platform/linux/lazy_video_decoder.h"
#include "platform/linux/stream_decoder.h"

namespace MorvalePlatform {

// How the runs of a graph tell it that they ended.
struct RunSignal {
    std::mutex mutex;
    std::condition_variable changed;
};

class StreamingRun {
public:
    struct Target {
        ComPtr<SampleGrabber> grabber;
        SampleGrabber::Route route;
    };

    // untimedFrame: the frame index (from the start) that carries no time,
    // or -1 (a test quirk).
    StreamingRun(std::shared_ptr<OpenedFile> file, std::vector<Target> targets, std::shared_ptr<RunSignal> signal,
                 int64_t untimedFrame);
    ~StreamingRun();
    StreamingRun(const StreamingRun&) = delete;
    StreamingRun& operator=(const StreamingRun&) = delete;

    // Starts the thread; E_OUTOFMEMORY (and a failed, finished run) when it
    // cannot. Called under the signal's mutex.
    HRESULT start();
    // Ends the run and joins the thread.
    void stop();
    // Read under the signal's mutex.
    bool finished() const noexcept { return finished_; }
    bool failed() const noexcept { return failed_; }

private:
    struct Lane {
        Target target;
        const AVStream* stream = nullptr;
        // Packets to samples; null once the lane decodes as it reads.
        std::shared_ptr<LazyVideoDecoder> lazy;
        bool checked = false;  // the first packets showed whether lazy reading works
        bool startsAtKey = true;  // the first packet of the run is a key frame
        std::unique_ptr<StreamDecoder> decoder;  // decoding as it reads
        std::shared_ptr<Bgr24Converter> converter;
        LONGLONG frameDuration = 0;  // 100 ns, when a packet states none
        int64_t frames = 0;          // since the start of the file
        int64_t packets = 0;         // read since the start of the file
    };

    void run();
    void stream();
    // Each of these returns false once the run should end (broken_ set
    // when it fails).
    bool rewind(Lane& lane);
    // A packet of the lane's stream; null at the end of the data.
    bool feed(Lane& lane, PacketPtr packet);
    // The samples the lazy decoder can issue (all: to the end).
    bool issue(Lane& lane, bool all);
    // The lane decodes as it reads from here on, starting with the packets
    // the lazy decoder holds.
    bool handOver(Lane& lane, bool ended);
    bool decode(Lane& lane, const AVPacket* packet);
    // A frame to the grabber's callback: decoded (frame) or still to be
    // decoded by the lane's lazy decoder (slot).
    bool hand(Lane& lane, const std::optional<MediaSample::Times>& times, bool key, FramePtr frame,
              std::shared_ptr<FrameSlot> slot);
    // Start and duration in the stream's time base; none for an untimed
    // frame.
    std::optional<MediaSample::Times> sampleTimes(const Lane& lane, int64_t index, int64_t start,
                                                  int64_t duration) const;
    Lane* laneOf(int stream);
    void finish(bool failed);

    std::shared_ptr<OpenedFile> file_;
    std::vector<Lane> lanes_;
    std::shared_ptr<RunSignal> signal_;
    int64_t untimedFrame_;
    LONGLONG startTime_ = 0;  // of the file, 100 ns
    std::vector<BYTE> bitmap_;  // BufferCB's frame
    std::atomic<bool> stopRequested_{false};
    bool broken_ = false;  // streaming thread only
    bool finished_ = false;
    bool failed_ = false;
    std::thread thread_;
};

}  // namespace MorvalePlatform
