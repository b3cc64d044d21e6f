// LazyVideoDecoder: one video stream's decoder for a source reader that hands
// out samples before their frames exist. The reader feeds it the stream's
// packets in file (decode) order and takes the next sample from it; times,
// durations and the order of samples (presentation order) come from the
// packets alone. Each sample holds a FrameSlot; the frame is decoded only
// when someone asks for the sample's pixels (takeFrame). Decoding then goes
// forward to that frame, or starts again at the key frame it depends on when
// that is cheaper or the decoder has gone past it; frames met on the way go
// to the slots of samples that are still alive and waiting, the others are
// dropped. Frames are matched to slots by the presentation time of the
// packet they were decoded from, so a slot gets no other frame's picture.
//
// Damaged data: a frame whose packet does not decode shows the nearest
// earlier picture (in presentation order) that does, as a player concealing
// errors freezes on the last good picture; the search goes back through the
// packets kept (see below), so it finds a picture at most kConcealmentReach
// frames back, asked for in any order. A frame with no earlier picture
// within reach fails.
//
// Packets kept: the window of packets not yet issued (deep enough for the
// codec's reordering and frame threads, so that a sample is issued only once
// no later packet can come before it and its frame can be decoded from what
// has been read; it grows if packets come out of order beyond it), and
// everything back to the key frame the oldest of those depends on (and the
// ones the kConcealmentReach frames shown just before it depend on, for
// concealment). Older
// packets go as issuing passes new key frames; a sample still waiting whose
// packets would go is decoded first. A stream whose key frames are too far
// apart to keep a group of pictures (more than kMaxKeptPackets packets or
// kMaxKeptBytes bytes) is decoded forward instead, so that the decoder's own
// state replaces the packets. Reading a long file without asking for pixels
// keeps about one group of pictures.
//
// A frame can be decoded from the latest key frame at or before its packet
// that is not presented after it (the leading pictures of an open group of
// pictures need the group before), or from the first packet of the run.
//
// Shared by the reader and by samples waiting for frames, which may outlive
// the reader or a seek: the reader then closes the decoder's input (and a
// seek takes a fresh decoder) and the samples are served from the packets
// still kept, the decoder draining at their end. Thread-safe: one lock, taken
// by the reader while it feeds and issues and by samples while they decode;
// no other lock is taken while holding it.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "platform/linux/ffmpeg_handles.h"
#include "platform/linux/stream_decoder.h"

namespace MorvalePlatform {

// The frame one sample will show. order and key never change; state and
// frame are guarded by the owning decoder's lock.
struct FrameSlot {
    enum class State { Waiting, Decoded, Taken, Failed };

    FrameSlot(int64_t packetOrder, int64_t packetKey) noexcept : order(packetOrder), key(packetKey) {}

    const int64_t order;  // decode-order number of its packet in the decoder's run
    const int64_t key;    // presentation time in the stream's time base, or kUntimed
    State state = State::Waiting;
    FramePtr frame;  // while Decoded
};

class LazyVideoDecoder {
public:
    // The key of a packet without a presentation or decoding time.
    static constexpr int64_t kUntimed = INT64_MIN;
    // Beyond these, a stream without key frames is decoded forward (see
    // above).
    static constexpr size_t kMaxKeptPackets = 1024;
    static constexpr int64_t kMaxKeptBytes = 64 << 20;
    // Frames shown before the samples still to come whose packets are kept,
    // so that a frame that does not decode finds an earlier picture when a
    // few in a row are damaged.
    static constexpr int kConcealmentReach = 8;

    struct Issued {
        std::shared_ptr<FrameSlot> slot;
        int64_t time;      // stream time base; kUntimed when the packet has none
        // Stream time base: up to the next sample's time once that sample has
        // been read (the window holds it unless this is the last one), else
        // the packet's duration; 0 when neither is known.
        int64_t duration;
        bool keyframe;
        bool last;  // input ended and no sample follows
        int64_t packetDuration;  // the packet's own, stream time base; 0 when it states none
    };

    // MF_E_TOPO_CODEC_NOT_FOUND when FFmpeg has no decoder for the stream or
    // cannot open it.
    static HRESULT open(const AVStream& stream, std::shared_ptr<LazyVideoDecoder>& decoder);
    ~LazyVideoDecoder();
    LazyVideoDecoder(const LazyVideoDecoder&) = delete;
    LazyVideoDecoder& operator=(const LazyVideoDecoder&) = delete;

    // Reader side, in this order: addPacket while wantsPackets, endInput when
    // the stream has no more, then issue. A last packet the container marks
    // as cut short gives no sample.
    bool wantsPackets();
    void addPacket(PacketPtr packet);
    void endInput();
    // The next sample in presentation order; none when every packet read so
    // far has been issued.
    std::optional<Issued> issue();
    // Every packet read so far that gives a sample had a presentation time
    // (without them, times and frames cannot be known before decoding).
    bool allTimed();
    // The samples not yet issued never will be (the reader's Flush).
    void skipUnissued();
    // Back to an empty run for the start of a new one (a seek); only for a
    // decoder no sample refers to any more.
    void reset();
    // The run about to be fed starts on the key frame a seek landed on:
    // frames shown before it (leading pictures of an open group of pictures)
    // need pictures from before the seek, and give no sample.
    void startAtKeyFrame();
    // Ends the input for good (the reader is gone, or has moved on to a
    // fresh decoder); samples already issued can still be decoded.
    void close();
    // Gives back every packet read, in decode order, and starts afresh; for
    // a reader that decodes the stream itself instead.
    std::vector<PacketPtr> takePackets();

    // Sample side: the slot's frame, decoded now if need be (the slot then
    // gives it up). When the decoder does not produce it (damaged data), the
    // nearest earlier picture that decodes stands in for it;
    // MF_E_INVALID_STREAM_DATA when none does. E_OUTOFMEMORY when out of
    // memory.
    HRESULT takeFrame(FrameSlot& slot, FramePtr& frame);

private:
    struct Entry {
        PacketPtr packet;
        int64_t key = kUntimed;
        bool keyframe = false;
        bool shown = false;   // gives a sample (the container does not discard it)
        bool issued = false;
        std::shared_ptr<FrameSlot> held;  // the slot, until its sample is issued
        std::weak_ptr<FrameSlot> slot;
    };

    LazyVideoDecoder(std::unique_ptr<StreamDecoder> decoder, int lookahead);

    // All below need mutex_.
    int64_t firstOrder() const noexcept { return nextOrder_ - static_cast<int64_t>(packets_.size()); }
    Entry& at(int64_t order) { return packets_[static_cast<size_t>(order - firstOrder())]; }
    const Entry& at(int64_t order) const { return packets_[static_cast<size_t>(order - firstOrder())]; }
    // The latest kept packet at or before order that a frame presented at key
    // can be decoded from; -1 when none is kept.
    int64_t restartPoint(int64_t order, int64_t key) const;
    void trim();
    void dropUnissued();
    void forgetKey(int64_t key, int64_t order);
    void dropFront();
    void clearAll();
    // Decodes until the slot has its frame (its own, or the one concealing
    // it) or has failed; E_OUTOFMEMORY leaves it waiting.
    HRESULT decodeFor(FrameSlot& slot);
    // For a slot whose own frame did not come out: the nearest earlier
    // picture the kept packets decode to; the slot stays waiting when there
    // is none.
    HRESULT conceal(FrameSlot& slot);
    bool mustRestartFor(const FrameSlot& slot) const;
    // Flushes the decoder and starts a run at that packet; false for -1.
    bool startRun(int64_t start);
    // Runs the decoder until the slot is no longer waiting, or the decoder
    // has given out everything, or (stopOrder >= 0) until every packet before
    // stopOrder has been sent. False when out of memory.
    bool run(const FrameSlot* slot, int64_t stopOrder);
    void deliver();

    std::mutex mutex_;
    std::unique_ptr<StreamDecoder> decoder_;
    FramePtr scratch_;  // where the decoder's next frame goes
    size_t lookahead_;
    std::deque<Entry> packets_;  // kept packets in decode order; the last is nextOrder_ - 1
    int64_t keptBytes_ = 0;
    int64_t nextOrder_ = 0;
    std::set<std::pair<int64_t, int64_t>> unissued_;  // (key, order) of shown packets not issued yet
    std::multimap<int64_t, int64_t> byKey_;           // key -> order of the kept shown packets
    int64_t latestKeyframe_ = -1;
    int64_t lastIssuedKey_ = kUntimed;
    bool atKeyFrame_ = false;          // startAtKeyFrame() was called for this run
    int64_t firstShownKey_ = kUntimed;  // then: the key frame's; earlier frames are hidden
    bool inputEnded_ = false;
    bool allTimed_ = true;
    // The decoder's current run: where it started, what it has been sent,
    // what it has given out.
    int64_t runStart_ = 0;
    int64_t runStartKey_ = kUntimed;
    int64_t sendOrder_ = 0;  // the next packet to send
    bool sentSinceFlush_ = false;
    bool runEnded_ = false;  // drained: the next frame needs a new run
    int64_t lastOutputKey_ = kUntimed;
    // While concealing: the picture shown latest before concealKey_ that the
    // run has given out.
    int64_t concealKey_ = kUntimed;
    FramePtr nearest_;
    int64_t nearestKey_ = kUntimed;
};

}  // namespace MorvalePlatform
