// PacketSource: the demuxing side of a source reader: an opened file's
// packets in file order, and the two kinds of seek the reader offers.
//
// To the start: the packets come again exactly as they came after opening.
// Containers that seek on decoding times (MPEG transport and program
// streams) land after the first key frame when asked for the stream's start
// time, since that key frame is decoded before it is shown; asked for an
// earlier time they land on the first byte of data. So the start is sought
// with the start time, then with an earlier one, and checked against the
// first packet the file gave (its stream, place and size); a byte seek to
// that packet, and opening the file again, are the fallbacks.
// A rewind with nothing read since opening (or since the last rewind) does
// no work.
//
// To a later time: the anchor stream (the reader's first selected video
// stream) starts at a key frame shown at or before that time. Demuxers that
// search on decoding times, or coarsely, can land after it, so the landing
// is checked by reading ahead to the anchor's first key frame, and sought
// again further back while that key frame is shown later (back to the start
// when nothing earlier works); from a landing too early, reading walks on to
// the latest key frame shown by that time. The anchor's packets before the
// key frame are dropped: nothing can be decoded from them.
//
// Used by one reader under its lock.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "platform/linux/ffmpeg_handles.h"
#include "platform/media_foundation.h"

namespace MorvalePlatform {

// The file opened again in the demuxer that opened it; with its streams
// probed as on the first opening when probe is set. Null when that fails.
FormatContextPtr reopenFile(const AVFormatContext& opened, bool probe);

class PacketSource {
public:
    // Reads the file's first packet, to know its start again.
    explicit PacketSource(FormatContextPtr format);

    AVFormatContext& format() const noexcept { return *format_; }

    // The next packet in file order (streams the reader discards may be left
    // out by the demuxer); null at the end of the readable data.
    PacketPtr read();

    // target in AV_TIME_BASE units; anchor is a stream index, or -1 for a
    // plain seek. A target at or before the file's start time is the start.
    // A demuxer that cannot seek by time goes to the start instead. E_FAIL
    // when the start cannot be found again; reading then ends until a seek
    // succeeds.
    HRESULT seek(int64_t target, int anchor);
    // Nothing handed out since opening or the last seek that went to the
    // start (a later seek may have gone there too).
    bool atStart() const noexcept { return atStart_; }

private:
    // What identifies the first packet after opening.
    struct Place {
        int stream = -1;
        int64_t position = -1;
        int size = 0;
        int64_t dts = AV_NOPTS_VALUE;

        static Place of(const AVPacket& packet) noexcept;
        bool operator==(const Place&) const = default;
    };

    HRESULT rewind();
    // Seeks (with all streams read) until the next packet is the file's
    // first: by time, by byte, and at last by opening the file again.
    bool findStart();
    // The context packets come from: the opened file's, or the one opened
    // again (reading the streams the reader chose on the first).
    AVFormatContext& demuxer();
    // Seeks by time to the key frame at or before target; false when the
    // demuxer cannot.
    bool seekTime(int64_t target);
    // Whether the next packet is the file's first one; if so it is kept for
    // read().
    bool nextIsFirst();
    // The times of a key frame, AV_TIME_BASE.
    struct KeyFrame {
        int64_t shown;
        int64_t decoded;  // AV_NOPTS_VALUE when unknown
    };
    // Reads ahead (kept for read()) from where a seek put the demuxer: the
    // anchor's packets before its first key frame are dropped, and reading
    // walks on to the latest key frame shown by target (dropping what comes
    // before it) until the anchor is decoded past target. The key frame
    // reading starts at; shown after target when the first one is; none when
    // the anchor is decoded past target before a key frame, or the data
    // ends first.
    std::optional<KeyFrame> land(int anchor, int64_t target);
    PacketPtr demux();
    void restart() noexcept;
    int64_t startTime() const noexcept;

    FormatContextPtr format_;  // the reader's streams are this context's
    FormatContextPtr reopened_;  // the file opened again, when no seek found its start
    std::deque<PacketPtr> ahead_;  // read while checking a seek; handed out first
    std::optional<Place> first_;   // none for a file without packets
    bool ended_ = false;
    bool atStart_ = true;  // nothing handed out since opening or the last rewind
};

}  // namespace MorvalePlatform
