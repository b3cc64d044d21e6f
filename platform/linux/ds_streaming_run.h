// StreamingRun: one run of a graph over one file, on its own thread (the
// graph's streaming thread): it demultiplexes the file from where the last
// run left it (or from the start, when a rewind was asked for), decodes the
// streams connected to sample grabbers and hands each frame to the grabber's
// callback, as fast as it goes (no clock). SampleCB gets a sample that
// converts its pixels only when asked for them; BufferCB gets the frame as a
// bottom-up 24-bit bitmap with rows padded to 4 bytes. Sample times are in
// 100 ns from the start of the file.
//
// The run ends at the end of the data, after a one-shot grabber's first
// frame, or when stop() is called; a callback that blocks holds the run (and
// stop()) until it returns. The thread holds no reference to the graph.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/linux/ds_bgr24_converter.h"
#include "platform/linux/ds_filters.h"
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
        std::unique_ptr<StreamDecoder> decoder;
        std::shared_ptr<Bgr24Converter> converter;
        AVRational timeBase{};
        LONGLONG frameDuration = 0;  // 100 ns, when a frame states none
        int64_t frames = 0;          // since the start of the file
    };

    void run();
    // False once the run should end.
    bool stream();
    bool decode(Lane& lane, const AVPacket* packet);
    bool deliver(Lane& lane, FramePtr frame);
    Lane* laneOf(int stream);
    void finish(bool failed);

    std::shared_ptr<OpenedFile> file_;
    std::vector<Lane> lanes_;
    std::shared_ptr<RunSignal> signal_;
    int64_t untimedFrame_;
    LONGLONG startTime_ = 0;  // of the file, 100 ns
    std::vector<BYTE> bitmap_;  // BufferCB's frame
    std::atomic<bool> stopRequested_{false};
    bool finished_ = false;
    bool failed_ = false;
    std::thread thread_;
};

}  // namespace MorvalePlatform
