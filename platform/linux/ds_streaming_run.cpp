// StreamingRun; see ds_streaming_run.h.
#include "platform/linux/ds_streaming_run.h"

#include <optional>
#include <system_error>

#include "platform/linux/ds_media_sample.h"
#include "platform/linux/test_hooks.h"
#include "platform/linux/time_bases.h"

namespace MorvalePlatform {

StreamingRun::StreamingRun(std::shared_ptr<OpenedFile> file, std::vector<Target> targets,
                           std::shared_ptr<RunSignal> signal, int64_t untimedFrame)
    : file_(std::move(file)), signal_(std::move(signal)), untimedFrame_(untimedFrame) {
    for (Target& target : targets) {
        Lane lane;
        lane.converter = std::make_shared<Bgr24Converter>(target.route.width, target.route.height);
        if (const OpenedFile::StreamFacts* facts = file_->stream(target.route.stream)) {
            if (const VIDEOINFOHEADER* header = facts->type.videoInfo()) lane.frameDuration = header->AvgTimePerFrame;
        }
        lane.target = std::move(target);
        lanes_.push_back(std::move(lane));
    }
}

StreamingRun::~StreamingRun() { stop(); }

HRESULT StreamingRun::start() {
    Hooks::streamingThreadStarted();
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        Hooks::streamingThreadEnded();
        finished_ = true;  // the caller holds the signal's mutex
        failed_ = true;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void StreamingRun::stop() {
    stopRequested_.store(true, std::memory_order_release);
    if (thread_.joinable()) thread_.join();
}

void StreamingRun::run() {
    bool failed = false;
    {
        Hooks::InternalCalls internal;
        AVFormatContext& format = file_->packets().format();
        startTime_ = format.start_time == AV_NOPTS_VALUE ? 0
                                                         : av_rescale_q(format.start_time, kAvTimeBase, kHundredNanoseconds);
        for (Lane& lane : lanes_) {
            const AVStream& stream = *format.streams[lane.target.route.stream];
            lane.timeBase = stream.time_base;
            if (FAILED(StreamDecoder::open(stream, lane.decoder))) failed = true;
        }
    }
    if (!failed) failed = !stream();
    finish(failed);
    Hooks::streamingThreadEnded();
}

StreamingRun::Lane* StreamingRun::laneOf(int stream) {
    for (Lane& lane : lanes_) {
        if (lane.target.route.stream == stream) return &lane;
    }
    return nullptr;
}

bool StreamingRun::stream() {
    PacketSource& packets = file_->packets();
    while (!stopRequested_.load(std::memory_order_acquire)) {
        if (file_->takeRewindRequest()) {
            if (FAILED(packets.seek(INT64_MIN, -1))) return false;
            for (Lane& lane : lanes_) {
                lane.decoder->flush();
                lane.frames = 0;
            }
        }
        PacketPtr packet = packets.read();
        if (!packet) {
            // The end: what the decoders still hold comes out.
            for (Lane& lane : lanes_) {
                if (!decode(lane, nullptr)) return true;
            }
            return true;
        }
        Lane* lane = laneOf(packet->stream_index);
        if (lane && !decode(*lane, packet.get())) return true;
    }
    return true;
}

bool StreamingRun::decode(Lane& lane, const AVPacket* packet) {
    lane.decoder->send(packet);
    for (;;) {
        if (stopRequested_.load(std::memory_order_acquire)) return false;
        FramePtr frame(av_frame_alloc());
        if (!frame) return false;
        const StreamDecoder::Received received = lane.decoder->receive(*frame);
        if (received != StreamDecoder::Received::Frame) return true;
        Hooks::frameDecoded();
        if (!deliver(lane, std::move(frame))) return false;
    }
}

bool StreamingRun::deliver(Lane& lane, FramePtr frame) {
    const int64_t index = lane.frames++;
    std::optional<MediaSample::Times> times;
    if (frame->best_effort_timestamp != AV_NOPTS_VALUE && index != untimedFrame_) {
        const LONGLONG start =
            av_rescale_q(frame->best_effort_timestamp, lane.timeBase, kHundredNanoseconds) - startTime_;
        const LONGLONG duration = frame->pkt_duration > 0
                                      ? av_rescale_q(frame->pkt_duration, lane.timeBase, kHundredNanoseconds)
                                      : lane.frameDuration;
        times = MediaSample::Times{start, start + duration};
    }
    const double seconds = times ? static_cast<double>(times->start) / 1e7 : 0.0;
    const SampleGrabber::Delivery delivery = lane.target.grabber->delivery();
    if (delivery.callback && delivery.method == 0) {
        const bool key = frame->key_frame != 0;
        ComPtr<MediaSample> sample = MediaSample::create(std::move(frame), lane.converter, times, key);
        if (!sample) return false;
        delivery.callback->SampleCB(seconds, sample.get());
    } else if (delivery.callback) {
        bitmap_.resize(lane.converter->bytes());
        if (FAILED(lane.converter->convert(*frame, bitmap_.data()))) return false;
        delivery.callback->BufferCB(seconds, bitmap_.data(), static_cast<LONG>(bitmap_.size()));
    }
    return !delivery.oneShot;
}

void StreamingRun::finish(bool failed) {
    std::lock_guard lock(signal_->mutex);
    finished_ = true;
    failed_ = failed;
    signal_->changed.notify_all();
}

}  // namespace MorvalePlatform
