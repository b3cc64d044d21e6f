// PacketOutput; see packet_output.h.
#include "platform/linux/packet_output.h"

#include <cstring>

#include "platform/linux/memory_buffer.h"
#include "platform/linux/time_bases.h"

namespace MorvalePlatform {

HRESULT PacketOutput::read(StreamTypes& stream, PacketFeed& packets, DWORD&, std::optional<SampleParts>& parts) {
    PacketPtr packet = packets.next();
    if (!packet) return S_OK;
    auto buffer = MemoryBuffer::create(static_cast<DWORD>(packet->size));
    if (!buffer) return E_OUTOFMEMORY;
    std::memcpy(buffer->data(), packet->data, static_cast<size_t>(packet->size));
    buffer->SetCurrentLength(static_cast<DWORD>(packet->size));
    parts.emplace();
    const int64_t time = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (time != AV_NOPTS_VALUE) parts->time = av_rescale_q(time, stream.av->time_base, kHundredNanoseconds);
    if (packet->duration > 0) {
        parts->duration = av_rescale_q(packet->duration, stream.av->time_base, kHundredNanoseconds);
    }
    parts->cleanPoint = (packet->flags & AV_PKT_FLAG_KEY) != 0;
    parts->buffer = ComPtr<IMFMediaBuffer>::attach(buffer.detach());
    return S_OK;
}

}  // namespace MorvalePlatform
