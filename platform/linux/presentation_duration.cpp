// presentationDuration; see presentation_duration.h.
#include "platform/linux/presentation_duration.h"

#include <algorithm>

#include "platform/linux/native_media_types.h"
#include "platform/linux/packet_source.h"
#include "platform/linux/time_bases.h"

namespace MorvalePlatform {

namespace {

// How much of the end of the file is read, growing while it shows no packet.
constexpr int64_t kTailBytes[] = {int64_t{1} << 20, int64_t{16} << 20};

bool isAudioOrVideo(const AVStream& stream) {
    const AVMediaType type = stream.codecpar->codec_type;
    return type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_VIDEO;
}

// Where the latest packet read from here to the end of the file ends. A
// packet without a duration lasts one frame period of its stream (as the
// opened file states it).
std::optional<int64_t> latestPacketEnd(AVFormatContext& format, const AVFormatContext& opened) {
    std::optional<int64_t> end;
    PacketPtr packet(av_packet_alloc());
    if (!packet) return end;
    for (;;) {
        const int result = av_read_frame(&format, packet.get());
        if (result == AVERROR(EAGAIN)) continue;
        if (result < 0) break;
        const unsigned index = static_cast<unsigned>(packet->stream_index);
        const int64_t time = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (index < format.nb_streams && index < opened.nb_streams && time != AV_NOPTS_VALUE &&
            isAudioOrVideo(*format.streams[index])) {
            const AVRational timeBase = format.streams[index]->time_base;
            int64_t duration = packet->duration;
            const AVRational rate = streamFrameRate(*opened.streams[index]);
            if (duration <= 0 && rate.num > 0 && rate.den > 0) duration = av_rescale_q(1, av_inv_q(rate), timeBase);
            const int64_t packetEnd = av_rescale_q(time + std::max<int64_t>(duration, 0), timeBase, kAvTimeBase);
            end = end ? std::max(*end, packetEnd) : packetEnd;
        }
        av_packet_unref(packet.get());
    }
    return end;
}

std::optional<int64_t> lastPacketEnd(const AVFormatContext& opened) {
    FormatContextPtr format = reopenFile(opened, false);
    if (!format) return std::nullopt;
    const int64_t size = format->pb ? avio_size(format->pb) : -1;
    bool moved = false;
    for (const int64_t tail : kTailBytes) {
        if ((format->iformat->flags & AVFMT_NO_BYTE_SEEK) != 0 || tail >= size ||
            av_seek_frame(format.get(), -1, size - tail, AVSEEK_FLAG_BYTE) < 0) {
            break;
        }
        moved = true;
        if (const auto end = latestPacketEnd(*format, opened)) return end;
    }
    // From the start, then.
    if (moved) format = reopenFile(opened, false);
    return format ? latestPacketEnd(*format, opened) : std::nullopt;
}

}  // namespace

std::optional<int64_t> presentationDuration(const AVFormatContext& format) {
    if (format.duration != AV_NOPTS_VALUE && format.duration >= 0) return format.duration;
    std::optional<int64_t> longest;
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        const AVStream& stream = *format.streams[i];
        if (stream.duration == AV_NOPTS_VALUE || !isAudioOrVideo(stream)) continue;
        const int64_t length = av_rescale_q(stream.duration, stream.time_base, kAvTimeBase);
        longest = longest ? std::max(*longest, length) : length;
    }
    if (longest) return longest;
    const std::optional<int64_t> end = lastPacketEnd(format);
    if (!end) return std::nullopt;
    const int64_t start = format.start_time == AV_NOPTS_VALUE ? 0 : format.start_time;
    return std::max<int64_t>(*end - start, 0);
}

}  // namespace MorvalePlatform
