// LazyRgbOutput; see lazy_rgb_output.h.
#include "platform/linux/lazy_rgb_output.h"

#include "platform/linux/decoded_rgb_output.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace MorvalePlatform {

HRESULT LazyRgbOutput::open(const AVFormatContext& format, const AVStream& stream, RgbOutputState state,
                            std::unique_ptr<LazyRgbOutput>& output) {
    std::shared_ptr<LazyVideoDecoder> decoder;
    if (HRESULT hr = LazyVideoDecoder::open(stream, decoder); FAILED(hr)) return hr;
    output.reset(new LazyRgbOutput(std::move(state), std::move(decoder), format, stream));
    return S_OK;
}

int64_t LazyRgbOutput::lastDuration(int64_t time, int64_t packetDuration) {
    if (!end_) end_ = fileEnd();
    if (!*end_ || **end_ <= time) return packetDuration;
    // The file's duration counts in its own clock (milliseconds in Matroska
    // and in most MP4 files): a packet's duration that ends within a tick
    // of that clock is the exact one.
    const int64_t tick = std::max<int64_t>(1, av_rescale_q(1, AVRational{1, 1000}, stream_.time_base));
    if (packetDuration > 0 && std::llabs(time + packetDuration - **end_) <= tick) return packetDuration;
    return **end_ - time;
}

std::optional<int64_t> LazyRgbOutput::fileEnd() const {
    // The file's duration covers every stream and counts from time 0. Only
    // Matroska/WebM and the MP4 family (FFmpeg's one demuxer for MOV, MP4,
    // M4V, 3GP, 3G2 and Motion JPEG 2000, named "mov,mp4,...") state where
    // the last frame ends.
    if (format_.nb_streams != 1 || format_.duration == AV_NOPTS_VALUE || format_.duration <= 0) return std::nullopt;
    const char* name = format_.iformat->name;
    if (std::strstr(name, "matroska") == nullptr && std::strstr(name, "mp4") == nullptr) return std::nullopt;
    return av_rescale_q(format_.duration, AV_TIME_BASE_Q, stream_.time_base);
}

LazyRgbOutput::~LazyRgbOutput() {
    if (decoder_) decoder_->close();
}

HRESULT LazyRgbOutput::handOver(PacketFeed& packets) {
    std::unique_ptr<StreamDecoder> decoder;
    if (HRESULT hr = StreamDecoder::open(stream_, decoder); FAILED(hr)) return hr;
    packets.giveBack(decoder_->takePackets());
    successor_ = std::make_unique<DecodedRgbOutput>(std::move(state_), std::move(decoder));
    return S_OK;
}

HRESULT LazyRgbOutput::read(StreamTypes& stream, PacketFeed& packets, DWORD& flags,
                            std::optional<SampleParts>& parts) {
    LazyVideoDecoder& lazy = *decoder_;
    while (lazy.wantsPackets()) {
        PacketPtr packet = packets.next();
        if (!packet) {
            lazy.endInput();
            break;
        }
        lazy.addPacket(std::move(packet));
    }
    if (!checked_) {
        checked_ = true;
        // Frames whose times or size only the decoder knows.
        if (!lazy.allTimed() || stream_.codecpar->width <= 0 || stream_.codecpar->height <= 0) {
            return handOver(packets);
        }
    }
    std::optional<LazyVideoDecoder::Issued> issued = lazy.issue();
    if (!issued) return S_OK;
    // The stream's size stands for the decoded one (they agree: FFmpeg
    // takes it from the first decoded frame when it opens the file).
    const RgbLayout layout = frameLayout(stream, stream_.codecpar->width, stream_.codecpar->height, flags);
    const bool timed = issued->time != LazyVideoDecoder::kUntimed;
    const int64_t duration = timed && issued->last ? lastDuration(issued->time, issued->duration) : issued->duration;
    parts = frameParts(stream, timed ? std::optional<int64_t>(issued->time) : std::nullopt, duration,
                       issued->keyframe);
    parts->deferred =
        std::make_unique<DeferredRgbFrame>(state_.converter, decoder_, std::move(issued->slot), layout);
    return S_OK;
}

HRESULT LazyRgbOutput::prepareRestart() {
    // A decoder that samples still wait on stays theirs; the stream starts
    // again with a fresh one.
    if (decoder_.use_count() == 1) return S_OK;
    return LazyVideoDecoder::open(stream_, fresh_);
}

void LazyRgbOutput::restart(bool atStart) {
    if (fresh_) {
        decoder_->close();
        decoder_ = std::move(fresh_);
    } else {
        decoder_->reset();
    }
    if (!atStart) decoder_->startAtKeyFrame();
    RgbOutput::restart(atStart);
}

}  // namespace MorvalePlatform
