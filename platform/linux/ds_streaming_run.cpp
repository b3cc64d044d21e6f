// StreamingRun; see ds_streaming_run.h.
#include "platform/linux/ds_streaming_run.h"

#include <optional>
#include <system_error>

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
    {
        Hooks::InternalCalls internal;
        AVFormatContext& format = file_->packets().format();
        startTime_ = format.start_time == AV_NOPTS_VALUE ? 0
                                                         : av_rescale_q(format.start_time, kAvTimeBase, kHundredNanoseconds);
        for (Lane& lane : lanes_) {
            lane.stream = format.streams[lane.target.route.stream];
            if (FAILED(LazyVideoDecoder::open(*lane.stream, lane.lazy))) broken_ = true;
        }
    }
    if (!broken_) stream();
    // Samples kept past the run decode from the packets read so far.
    for (Lane& lane : lanes_) {
        if (lane.lazy) lane.lazy->close();
    }
    finish(broken_);
    Hooks::streamingThreadEnded();
}

StreamingRun::Lane* StreamingRun::laneOf(int stream) {
    for (Lane& lane : lanes_) {
        if (lane.target.route.stream == stream) return &lane;
    }
    return nullptr;
}

void StreamingRun::stream() {
    PacketSource& packets = file_->packets();
    while (!stopRequested_.load(std::memory_order_acquire)) {
        if (file_->takeRewindRequest()) {
            if (FAILED(packets.seek(INT64_MIN, -1))) {
                broken_ = true;
                return;
            }
            for (Lane& lane : lanes_) {
                if (!rewind(lane)) return;
            }
        }
        PacketPtr packet = packets.read();
        if (!packet) {
            // The end: the samples still held back and what the decoders
            // still hold come out.
            for (Lane& lane : lanes_) {
                if (!feed(lane, nullptr)) return;
            }
            return;
        }
        Lane* lane = laneOf(packet->stream_index);
        if (lane && !feed(*lane, std::move(packet))) return;
    }
}

bool StreamingRun::rewind(Lane& lane) {
    lane.frames = 0;
    lane.packets = 0;
    lane.startsAtKey = true;
    if (lane.decoder) {
        lane.decoder->flush();
        return true;
    }
    // Samples still waiting for their frames keep the decoder they came
    // from; the stream starts again with a fresh one.
    if (lane.lazy.use_count() == 1) {
        lane.lazy->reset();
        return true;
    }
    lane.lazy->close();
    Hooks::InternalCalls internal;
    if (SUCCEEDED(LazyVideoDecoder::open(*lane.stream, lane.lazy))) return true;
    broken_ = true;
    return false;
}

bool StreamingRun::feed(Lane& lane, PacketPtr packet) {
    if (!lane.lazy) return decode(lane, packet.get());
    const bool ended = !packet;
    if (packet) {
        if (lane.packets++ == 0) lane.startsAtKey = (packet->flags & AV_PKT_FLAG_KEY) != 0;
        lane.lazy->addPacket(std::move(packet));
        if (lane.lazy->wantsPackets()) return true;
    } else {
        lane.lazy->endInput();
    }
    if (!lane.checked) {
        lane.checked = true;
        // Frames whose times or size only the decoder knows, or frames
        // before the first key frame, which the decoder may leave out.
        const AVCodecParameters& codec = *lane.stream->codecpar;
        if (!lane.lazy->allTimed() || !lane.startsAtKey || codec.width <= 0 || codec.height <= 0) {
            return handOver(lane, ended);
        }
    }
    return issue(lane, ended);
}

bool StreamingRun::issue(Lane& lane, bool all) {
    LazyVideoDecoder& lazy = *lane.lazy;
    while (all || !lazy.wantsPackets()) {
        if (stopRequested_.load(std::memory_order_acquire)) return false;
        std::optional<LazyVideoDecoder::Issued> issued = lazy.issue();
        if (!issued) return true;
        const int64_t start = issued->time == LazyVideoDecoder::kUntimed ? AV_NOPTS_VALUE : issued->time;
        const std::optional<MediaSample::Times> times =
            sampleTimes(lane, lane.frames++, start, issued->packetDuration);
        if (!hand(lane, times, issued->keyframe, nullptr, std::move(issued->slot))) return false;
    }
    return true;
}

bool StreamingRun::handOver(Lane& lane, bool ended) {
    std::vector<PacketPtr> packets = lane.lazy->takePackets();
    lane.lazy.reset();
    {
        Hooks::InternalCalls internal;
        if (FAILED(StreamDecoder::open(*lane.stream, lane.decoder))) {
            broken_ = true;
            return false;
        }
    }
    for (PacketPtr& packet : packets) {
        if (!decode(lane, packet.get())) return false;
    }
    return !ended || decode(lane, nullptr);
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
        const std::optional<MediaSample::Times> times =
            sampleTimes(lane, lane.frames++, frame->best_effort_timestamp, frame->pkt_duration);
        const bool key = frame->key_frame != 0;
        if (!hand(lane, times, key, std::move(frame), nullptr)) return false;
    }
}

std::optional<MediaSample::Times> StreamingRun::sampleTimes(const Lane& lane, int64_t index, int64_t start,
                                                            int64_t duration) const {
    if (start == AV_NOPTS_VALUE || index == untimedFrame_) return std::nullopt;
    const AVRational timeBase = lane.stream->time_base;
    const LONGLONG begin = av_rescale_q(start, timeBase, kHundredNanoseconds) - startTime_;
    const LONGLONG length = duration > 0 ? av_rescale_q(duration, timeBase, kHundredNanoseconds) : lane.frameDuration;
    return MediaSample::Times{begin, begin + length};
}

bool StreamingRun::hand(Lane& lane, const std::optional<MediaSample::Times>& times, bool key, FramePtr frame,
                        std::shared_ptr<FrameSlot> slot) {
    const double seconds = times ? static_cast<double>(times->start) / 1e7 : 0.0;
    const SampleGrabber::Delivery delivery = lane.target.grabber->delivery();
    if (delivery.callback && delivery.method == 0) {
        ComPtr<MediaSample> sample = frame ? MediaSample::create(std::move(frame), lane.converter, times, key)
                                           : MediaSample::create(lane.lazy, std::move(slot), lane.converter, times, key);
        if (!sample) return false;
        delivery.callback->SampleCB(seconds, sample.get());
    } else if (delivery.callback) {
        if (!frame) {
            const HRESULT hr = lane.lazy->takeFrame(*slot, frame);
            if (hr == E_OUTOFMEMORY) return false;
            // No picture at all for it (nothing within concealment reach
            // decodes). Leaving it out would hand every later frame to the
            // callback one place early, so the run ends as broken instead.
            if (FAILED(hr)) {
                broken_ = true;
                return false;
            }
        }
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
