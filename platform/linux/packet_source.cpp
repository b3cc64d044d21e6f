// PacketSource; see packet_source.h.
#include "platform/linux/packet_source.h"

#include <algorithm>
#include <vector>

#include "platform/linux/time_bases.h"

namespace MorvalePlatform {

namespace {

// Seeks further back before a seek to a later time goes to the start instead.
constexpr int kLandingTries = 6;
// Packets read ahead at most to find the anchor stream's first key frame.
constexpr size_t kLandingPackets = 4096;
// How far back the first retry goes before the key frame found too late;
// each further one goes twice as far.
constexpr int64_t kFirstStepBack = AV_TIME_BASE / 10;

// Every stream read (none discarded) while one lives: the first packet after
// opening was read that way, so the start is checked that way too.
class AllStreamsRead {
public:
    explicit AllStreamsRead(AVFormatContext& format) : format_(format) {
        for (unsigned i = 0; i < format.nb_streams; ++i) {
            saved_.push_back(format.streams[i]->discard);
            format.streams[i]->discard = AVDISCARD_DEFAULT;
        }
    }
    ~AllStreamsRead() {
        for (size_t i = 0; i < saved_.size(); ++i) format_.streams[i]->discard = saved_[i];
    }
    AllStreamsRead(const AllStreamsRead&) = delete;
    AllStreamsRead& operator=(const AllStreamsRead&) = delete;

private:
    AVFormatContext& format_;
    std::vector<AVDiscard> saved_;
};

}  // namespace

PacketSource::Place PacketSource::Place::of(const AVPacket& packet) noexcept {
    // Times filled in by the demuxer can differ after a seek; only a packet
    // without a place in the file is told by its time.
    return {packet.stream_index, packet.pos, packet.size, packet.pos < 0 ? packet.dts : AV_NOPTS_VALUE};
}

FormatContextPtr reopenFile(const AVFormatContext& opened, bool probe) {
    AVFormatContext* raw = nullptr;
    if (!opened.url || avformat_open_input(&raw, opened.url, opened.iformat, nullptr) < 0) return nullptr;
    FormatContextPtr format(raw);
    if (probe && avformat_find_stream_info(format.get(), nullptr) < 0) return nullptr;
    return format;
}

PacketSource::PacketSource(FormatContextPtr format) : format_(std::move(format)) {
    if (PacketPtr packet = demux()) {
        first_ = Place::of(*packet);
        ahead_.push_back(std::move(packet));
    }
}

AVFormatContext& PacketSource::demuxer() {
    if (!reopened_) return *format_;
    // The reader chooses what is read on the streams it was given.
    const unsigned shared = std::min(format_->nb_streams, reopened_->nb_streams);
    for (unsigned i = 0; i < shared; ++i) reopened_->streams[i]->discard = format_->streams[i]->discard;
    return *reopened_;
}

PacketPtr PacketSource::demux() {
    while (!ended_) {
        PacketPtr packet(av_packet_alloc());
        if (!packet) return nullptr;
        const int result = av_read_frame(&demuxer(), packet.get());
        if (result == AVERROR(EAGAIN)) continue;
        if (result < 0) {
            // The end, or data that cannot be read (a truncated file): the
            // streams end where the readable data ends.
            ended_ = true;
            break;
        }
        return packet;
    }
    return nullptr;
}

PacketPtr PacketSource::read() {
    PacketPtr packet;
    if (!ahead_.empty()) {
        packet = std::move(ahead_.front());
        ahead_.pop_front();
    } else {
        packet = demux();
    }
    if (packet) atStart_ = false;
    return packet;
}

int64_t PacketSource::startTime() const noexcept {
    return format_->start_time == AV_NOPTS_VALUE ? 0 : format_->start_time;
}

void PacketSource::restart() noexcept {
    ahead_.clear();
    ended_ = false;
    atStart_ = false;
}

bool PacketSource::seekTime(int64_t target) {
    AVFormatContext& format = demuxer();
    return av_seek_frame(&format, -1, target, AVSEEK_FLAG_BACKWARD) >= 0 ||
           avformat_seek_file(&format, -1, INT64_MIN, target, INT64_MAX, 0) >= 0;
}

bool PacketSource::nextIsFirst() {
    PacketPtr packet = demux();
    if (!packet || !(Place::of(*packet) == *first_)) return false;
    ahead_.push_back(std::move(packet));
    return true;
}

HRESULT PacketSource::rewind() {
    if (atStart_) return S_OK;
    restart();
    if (!first_) {
        // No packets to check against; nothing can be read either way.
        seekTime(startTime());
        atStart_ = true;
        return S_OK;
    }
    AllStreamsRead all(*format_);
    if (findStart()) {
        atStart_ = true;
        return S_OK;
    }
    // Reading on from an unknown place would hand out the wrong frames.
    restart();
    ended_ = true;
    return E_FAIL;
}

bool PacketSource::findStart() {
    // The start time suits most containers; those that search on decoding
    // times need an earlier one (before every time in the file they land on
    // the first byte of data), and some fail on times before 0.
    const int64_t earlier = std::min<int64_t>(0, startTime());
    for (const int64_t target : {startTime(), earlier}) {
        restart();
        if (seekTime(target) && nextIsFirst()) return true;
        if (earlier == startTime()) break;
    }
    restart();
    const bool byteSeeks = (demuxer().iformat->flags & AVFMT_NO_BYTE_SEEK) == 0 && first_->position >= 0;
    if (byteSeeks && av_seek_frame(&demuxer(), -1, first_->position, AVSEEK_FLAG_BYTE) >= 0 && nextIsFirst()) {
        return true;
    }
    // Matroska skips packets of other streams before the key frame its index
    // points at (an audio stream starting before the video): the file is
    // opened again, as it was opened first.
    restart();
    FormatContextPtr fresh = reopenFile(*format_, true);
    if (!fresh || fresh->nb_streams < format_->nb_streams) return false;
    reopened_ = std::move(fresh);
    return nextIsFirst();
}

std::optional<PacketSource::KeyFrame> PacketSource::land(int anchor, int64_t target) {
    const AVRational timeBase = demuxer().streams[anchor]->time_base;
    auto inBase = [timeBase](int64_t time) {
        return time == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : av_rescale_q(time, timeBase, kAvTimeBase);
    };
    std::optional<KeyFrame> landed;
    while (ahead_.size() < kLandingPackets) {
        PacketPtr packet = demux();
        if (!packet) break;
        if (packet->stream_index == anchor) {
            const int64_t decoded = inBase(packet->dts);
            if (packet->flags & AV_PKT_FLAG_KEY) {
                int64_t shown = inBase(packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts);
                // A key frame without a time cannot be placed; it is taken.
                if (shown == AV_NOPTS_VALUE) shown = target;
                if (landed && shown <= target) {
                    // A later key frame still shown by the target: reading
                    // starts there, as if the seek had found it.
                    ahead_.clear();
                }
                if (!landed || shown <= target) landed = KeyFrame{shown, decoded};
                if (shown > target) {
                    // No key frame from here on is shown by the target.
                    ahead_.push_back(std::move(packet));
                    break;
                }
            } else if (!landed) {
                // Dropped: nothing before the first key frame can be decoded.
                // One decoded after the target means that key frame is shown
                // after it.
                if (decoded != AV_NOPTS_VALUE && decoded > target) break;
                continue;
            }
            // Decoded after the target: no key frame from here on is shown
            // by it.
            if (decoded != AV_NOPTS_VALUE && decoded > target) {
                ahead_.push_back(std::move(packet));
                break;
            }
        }
        ahead_.push_back(std::move(packet));
    }
    return landed;
}

HRESULT PacketSource::seek(int64_t target, int anchor) {
    if (target <= startTime()) return rewind();
    int64_t attempt = target;
    int64_t step = kFirstStepBack;
    for (int tries = 0; tries < kLandingTries && attempt > startTime(); ++tries) {
        restart();
        if (!seekTime(attempt)) break;
        if (anchor < 0 || anchor >= static_cast<int>(demuxer().nb_streams)) return S_OK;
        const std::optional<KeyFrame> keyFrame = land(anchor, target);
        if (keyFrame && keyFrame->shown <= target) return S_OK;
        // Before the key frame found: demuxers that search on decoding times
        // land on the one before from just ahead of its decoding time.
        if (keyFrame) {
            attempt = std::min(attempt, keyFrame->decoded != AV_NOPTS_VALUE ? keyFrame->decoded : keyFrame->shown);
        }
        attempt -= step;
        step *= 2;
    }
    // The start is a key frame at or before any later time.
    return rewind();
}

}  // namespace MorvalePlatform
