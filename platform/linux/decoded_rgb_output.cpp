// DecodedRgbOutput; see decoded_rgb_output.h.
#include "platform/linux/decoded_rgb_output.h"

#include "platform/linux/test_hooks.h"

namespace MorvalePlatform {

HRESULT DecodedRgbOutput::read(StreamTypes& stream, PacketFeed& packets, DWORD& flags,
                               std::optional<SampleParts>& parts) {
    FramePtr frame(av_frame_alloc());
    if (!frame) return E_OUTOFMEMORY;
    for (;;) {
        const StreamDecoder::Received received = decoder_->receive(*frame);
        if (received == StreamDecoder::Received::Frame) break;
        if (received == StreamDecoder::Received::Ended) return S_OK;
        PacketPtr packet = packets.next();
        decoder_->send(packet.get());  // none left: drain
    }
    Hooks::frameDecoded();

    const RgbLayout layout = frameLayout(stream, frame->width, frame->height, flags);
    const int64_t time = frame->best_effort_timestamp;
    parts = frameParts(stream, time != AV_NOPTS_VALUE ? std::optional<int64_t>(time) : std::nullopt,
                       frame->pkt_duration, frame->key_frame != 0);
    parts->deferred = std::make_unique<DeferredRgbFrame>(state_.converter, std::move(frame), layout);
    return S_OK;
}

void DecodedRgbOutput::restart(bool atStart) {
    decoder_->flush();
    RgbOutput::restart(atStart);
}

}  // namespace MorvalePlatform
