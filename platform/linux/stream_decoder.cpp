// StreamDecoder; see stream_decoder.h.
#include "platform/linux/stream_decoder.h"

#include <algorithm>
#include <memory>

#include "platform/linux/frame_size_limits.h"
#include "platform/linux/test_hooks.h"

namespace MorvalePlatform {

HRESULT StreamDecoder::open(const AVStream& stream, std::unique_ptr<StreamDecoder>& decoder) {
    const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
    if (!codec) return MF_E_TOPO_CODEC_NOT_FOUND;
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context) return E_OUTOFMEMORY;
    if (avcodec_parameters_to_context(context.get(), stream.codecpar) < 0) return MF_E_TOPO_CODEC_NOT_FOUND;
    context->pkt_timebase = stream.time_base;
    context->thread_count = Hooks::decoderThreads();  // one per core unless a test asked for fewer
    context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    context->max_pixels = FrameSizeLimits::kMaxPixels;  // a frame beyond it fails to decode
    if (avcodec_open2(context.get(), codec, nullptr) < 0) return MF_E_TOPO_CODEC_NOT_FOUND;
    decoder.reset(new StreamDecoder(std::move(context)));
    return S_OK;
}

void StreamDecoder::send(const AVPacket* packet) {
    if (draining_) return;
    if (!packet) draining_ = true;
    // Errors other than a full decoder (never the case: frames are received
    // until it asks for input) mean a broken packet, which is skipped.
    avcodec_send_packet(context_.get(), packet);
}

StreamDecoder::Received StreamDecoder::receive(AVFrame& frame) {
    const int result = avcodec_receive_frame(context_.get(), &frame);
    if (result >= 0) return Received::Frame;
    if (result == AVERROR_EOF) return Received::Ended;
    // A drained decoder that asks for input has nothing left.
    if (draining_ && result == AVERROR(EAGAIN)) return Received::Ended;
    // EAGAIN, or a frame that failed to decode (skipped): more input, or,
    // while draining, the next frame.
    return Received::NeedsPacket;
}

void StreamDecoder::flush() {
    avcodec_flush_buffers(context_.get());
    draining_ = false;
}

int StreamDecoder::outputDelay() const noexcept {
    const bool frameThreads = (context_->active_thread_type & FF_THREAD_FRAME) != 0;
    const int threadDelay = frameThreads && context_->thread_count > 1 ? context_->thread_count - 1 : 0;
    return threadDelay + std::max(0, context_->has_b_frames);
}

}  // namespace MorvalePlatform
