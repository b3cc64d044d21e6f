// LazyVideoDecoder; see lazy_video_decoder.h.
#include "platform/linux/lazy_video_decoder.h"

#include <algorithm>

#include "platform/linux/test_hooks.h"

namespace MorvalePlatform {

namespace {

// A window grown because packets came out of order beyond it stops here.
constexpr size_t kLargestLookahead = 256;

// Whether a frame presented at key can be decoded from a key frame presented
// at startKey: not when it is shown before it (a leading picture, which
// needs the group of pictures before). Untimed packets cannot tell.
bool decodableFrom(int64_t startKey, int64_t key) {
    return startKey == LazyVideoDecoder::kUntimed || key == LazyVideoDecoder::kUntimed || startKey <= key;
}

}  // namespace

HRESULT LazyVideoDecoder::open(const AVStream& stream, std::shared_ptr<LazyVideoDecoder>& decoder) {
    std::unique_ptr<StreamDecoder> codec;
    if (HRESULT hr = StreamDecoder::open(stream, codec); FAILED(hr)) return hr;
    // A codec that reorders may present a packet after packets read later;
    // the window holds twice the decoder's delay (its reordering depth is
    // in it) with room to spare. Without reordering the decoder's delay
    // suffices.
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(stream.codecpar->codec_id);
    const bool reorders = !descriptor || (descriptor->props & AV_CODEC_PROP_REORDER) != 0;
    const int delay = codec->outputDelay();
    const int lookahead = reorders ? std::max(16, 2 * delay + 8) : delay + 2;
    decoder.reset(new LazyVideoDecoder(std::move(codec), lookahead));
    return S_OK;
}

LazyVideoDecoder::LazyVideoDecoder(std::unique_ptr<StreamDecoder> decoder, int lookahead)
    : decoder_(std::move(decoder)), lookahead_(static_cast<size_t>(lookahead)) {}

LazyVideoDecoder::~LazyVideoDecoder() { Hooks::packetsRetained(-static_cast<long>(packets_.size())); }

bool LazyVideoDecoder::wantsPackets() {
    std::lock_guard lock(mutex_);
    return !inputEnded_ && unissued_.size() < lookahead_;
}

void LazyVideoDecoder::addPacket(PacketPtr packet) {
    // An empty packet carries nothing to decode (sent to a decoder it would
    // even read as the end of the stream).
    if (!packet || (packet->size <= 0 && packet->side_data_elems == 0)) return;
    std::lock_guard lock(mutex_);
    if (inputEnded_) return;
    Entry entry;
    const int64_t order = nextOrder_;
    entry.key = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts != AV_NOPTS_VALUE ? packet->dts : kUntimed;
    entry.keyframe = (packet->flags & AV_PKT_FLAG_KEY) != 0;
    // Packets the container cuts away (before an edit list's start) are
    // decoded as references but give no frame.
    entry.shown = (packet->flags & AV_PKT_FLAG_DISCARD) == 0;
    if (atKeyFrame_ && order == 0 && entry.keyframe) firstShownKey_ = entry.key;
    if (firstShownKey_ != kUntimed && entry.key != kUntimed && entry.key < firstShownKey_) entry.shown = false;
    if (entry.shown) {
        if (packet->pts == AV_NOPTS_VALUE) allTimed_ = false;
        entry.held = std::make_shared<FrameSlot>(order, entry.key);
        entry.slot = entry.held;
        unissued_.emplace(entry.key, order);
        byKey_.emplace(entry.key, order);
        // A packet to be shown before one already issued: the window was
        // too small for this stream's reordering.
        if (entry.key != kUntimed && lastIssuedKey_ != kUntimed && entry.key < lastIssuedKey_) {
            lookahead_ = std::min(lookahead_ * 2, kLargestLookahead);
        }
    }
    if (entry.keyframe) latestKeyframe_ = order;
    keptBytes_ += packet->size;
    entry.packet = std::move(packet);
    packets_.push_back(std::move(entry));
    ++nextOrder_;
    Hooks::packetsRetained(1);
}

void LazyVideoDecoder::endInput() {
    std::lock_guard lock(mutex_);
    inputEnded_ = true;
    // A last packet cut short by the end of the file (a truncated file) is
    // still sent, but gives no sample: its frame cannot be decoded.
    if (packets_.empty()) return;
    Entry& last = packets_.back();
    if (!last.shown || last.issued || (last.packet->flags & AV_PKT_FLAG_CORRUPT) == 0) return;
    const int64_t order = nextOrder_ - 1;
    unissued_.erase({last.key, order});
    forgetKey(last.key, order);
    last.shown = false;
    last.held.reset();
}

bool LazyVideoDecoder::allTimed() {
    std::lock_guard lock(mutex_);
    return allTimed_;
}

std::optional<LazyVideoDecoder::Issued> LazyVideoDecoder::issue() {
    std::lock_guard lock(mutex_);
    // Trimming first keeps the packets of the sample about to be issued:
    // it is among those not issued yet.
    trim();
    if (unissued_.empty()) return std::nullopt;
    const auto [key, order] = *unissued_.begin();
    unissued_.erase(unissued_.begin());
    Entry& entry = at(order);
    entry.issued = true;
    if (key != kUntimed) lastIssuedKey_ = std::max(lastIssuedKey_, key);
    // A frame lasts until the next one starts: some containers keep only
    // start times (Matroska as FFmpeg writes video), and MP4 gives frames
    // that were reordered the spacing of their decoding times.
    const int64_t packetDuration = entry.packet->duration > 0 ? entry.packet->duration : 0;
    int64_t duration = packetDuration;
    if (key != kUntimed && !unissued_.empty() && unissued_.begin()->first > key) {
        duration = unissued_.begin()->first - key;
    }
    return Issued{std::move(entry.held), key, duration, entry.keyframe, inputEnded_ && unissued_.empty(),
                  packetDuration};
}

void LazyVideoDecoder::dropUnissued() {
    // Their packets stay: issued frames may still refer to them.
    for (const auto& [key, order] : unissued_) {
        Entry& entry = at(order);
        entry.issued = true;
        entry.held.reset();
    }
    unissued_.clear();
}

void LazyVideoDecoder::skipUnissued() {
    std::lock_guard lock(mutex_);
    dropUnissued();
}

void LazyVideoDecoder::close() {
    std::lock_guard lock(mutex_);
    inputEnded_ = true;
    dropUnissued();
}

void LazyVideoDecoder::clearAll() {
    if (sentSinceFlush_) decoder_->flush();
    Hooks::packetsRetained(-static_cast<long>(packets_.size()));
    packets_.clear();
    keptBytes_ = 0;
    byKey_.clear();
    unissued_.clear();
    nextOrder_ = 0;
    latestKeyframe_ = -1;
    lastIssuedKey_ = kUntimed;
    atKeyFrame_ = false;
    firstShownKey_ = kUntimed;
    inputEnded_ = false;
    allTimed_ = true;
    runStart_ = 0;
    runStartKey_ = kUntimed;
    sendOrder_ = 0;
    sentSinceFlush_ = false;
    runEnded_ = false;
    lastOutputKey_ = kUntimed;
}

void LazyVideoDecoder::reset() {
    std::lock_guard lock(mutex_);
    clearAll();
}

void LazyVideoDecoder::startAtKeyFrame() {
    std::lock_guard lock(mutex_);
    atKeyFrame_ = true;
}

std::vector<PacketPtr> LazyVideoDecoder::takePackets() {
    std::lock_guard lock(mutex_);
    std::vector<PacketPtr> packets;
    packets.reserve(packets_.size());
    for (auto& entry : packets_) packets.push_back(std::move(entry.packet));
    clearAll();
    return packets;
}

int64_t LazyVideoDecoder::restartPoint(int64_t order, int64_t key) const {
    for (int64_t at = std::min(order, nextOrder_ - 1); at >= firstOrder(); --at) {
        if (at == 0) return 0;  // where decoding from the start begins
        const Entry& entry = this->at(at);
        if (entry.keyframe && decodableFrom(entry.key, key)) return at;
    }
    return -1;
}

void LazyVideoDecoder::forgetKey(int64_t key, int64_t order) {
    auto [first, last] = byKey_.equal_range(key);
    for (auto it = first; it != last; ++it) {
        if (it->second == order) {
            byKey_.erase(it);
            return;
        }
    }
}

void LazyVideoDecoder::dropFront() {
    Entry& entry = packets_.front();
    if (entry.shown) forgetKey(entry.key, firstOrder());
    keptBytes_ -= entry.packet->size;
    packets_.pop_front();
    Hooks::packetsRetained(-1);
}

void LazyVideoDecoder::trim() {
    if (packets_.empty()) return;
    // The oldest packet a sample not issued yet depends on.
    int64_t oldest = nextOrder_;
    int64_t earliest = INT64_MAX;
    for (const auto& [key, order] : unissued_) {
        oldest = std::min(oldest, order);
        if (key != kUntimed) earliest = std::min(earliest, key);
    }
    if (latestKeyframe_ > firstOrder()) {
        const int64_t needed = restartPoint(oldest, earliest);
        // Samples still waiting that the samples to come do not need are
        // decoded now, while the frames shown before them are still here to
        // conceal them.
        for (int64_t order = firstOrder(); order < needed; ++order) {
            Entry& entry = at(order);
            if (!entry.issued) continue;
            // A failure leaves the slot waiting; its buffer request fails.
            if (auto slot = entry.slot.lock(); slot && slot->state == FrameSlot::State::Waiting) decodeFor(*slot);
        }
        // Kept as well: what the frames shown just before the samples to
        // come need, for they conceal any of those that does not decode.
        int64_t keep = needed;
        if (earliest != INT64_MAX) {
            auto before = byKey_.lower_bound(earliest);
            for (int reach = 0; reach < kConcealmentReach && before != byKey_.begin(); ++reach) {
                --before;
                if (reach == 0 || reach == kConcealmentReach - 1 || before == byKey_.begin()) {
                    const int64_t previous = restartPoint(before->second, before->first);
                    if (previous >= 0) keep = std::min(keep, previous);
                }
            }
        }
        while (firstOrder() < keep) dropFront();
    }
    if (packets_.size() <= kMaxKeptPackets && keptBytes_ <= kMaxKeptBytes) return;
    // Key frames too far apart: the decoder runs forward up to the samples
    // still to come, and its state stands in for the packets it was sent.
    if ((runEnded_ || sendOrder_ < firstOrder()) && !startRun(restartPoint(firstOrder(), kUntimed))) return;
    if (!run(nullptr, oldest) || runEnded_) return;
    while (firstOrder() < std::min(sendOrder_, oldest)) dropFront();
}

bool LazyVideoDecoder::mustRestartFor(const FrameSlot& slot) const {
    if (runEnded_ || sendOrder_ < firstOrder()) return true;
    // A frame before where the run began, or a leading picture of the key
    // frame it began at.
    if (slot.order < runStart_) return true;
    if (runStart_ != 0 && !decodableFrom(runStartKey_, slot.key)) return true;
    // The decoder has given out frames presented after it: it went past.
    if (slot.key != kUntimed && lastOutputKey_ != kUntimed && slot.key <= lastOutputKey_) return true;
    // A key frame between the decoder and the frame: decoding from there
    // skips work.
    return slot.order >= sendOrder_ && restartPoint(slot.order, slot.key) > sendOrder_;
}

bool LazyVideoDecoder::startRun(int64_t start) {
    if (start < 0) return false;
    if (sentSinceFlush_) decoder_->flush();
    sentSinceFlush_ = false;
    runEnded_ = false;
    runStart_ = start;
    runStartKey_ = start == 0 ? kUntimed : at(start).key;
    sendOrder_ = start;
    lastOutputKey_ = kUntimed;
    return true;
}

bool LazyVideoDecoder::run(const FrameSlot* slot, int64_t stopOrder) {
    for (;;) {
        if (!scratch_) scratch_.reset(av_frame_alloc());
        if (!scratch_) return false;
        switch (decoder_->receive(*scratch_)) {
            case StreamDecoder::Received::Frame:
                Hooks::frameDecoded();
                deliver();
                if (slot && slot->state != FrameSlot::State::Waiting) return true;
                break;
            case StreamDecoder::Received::Ended:
                runEnded_ = true;
                return true;
            case StreamDecoder::Received::NeedsPacket:
                if (stopOrder >= 0 && sendOrder_ >= stopOrder) return true;
                sentSinceFlush_ = true;
                if (sendOrder_ < nextOrder_) {
                    decoder_->send(at(sendOrder_).packet.get());
                    ++sendOrder_;
                } else {
                    // Nothing more to send: what is in flight comes out.
                    decoder_->send(nullptr);
                }
                break;
        }
    }
}

void LazyVideoDecoder::deliver() {
    // The time of the packet the picture was decoded from. Not the decoder's
    // best-effort guess: on damaged data that turns to decoding times, which
    // belong to other frames.
    const int64_t key = scratch_->pts == AV_NOPTS_VALUE ? kUntimed : scratch_->pts;
    if (key != kUntimed) lastOutputKey_ = key;
    auto [first, last] = byKey_.equal_range(key);
    // A picture that may conceal a frame: one of a frame that is shown (not
    // one the container cuts away).
    if (concealKey_ != kUntimed && key != kUntimed && first != last && key < concealKey_ &&
        (!nearest_ || key > nearestKey_)) {
        nearest_.reset(av_frame_clone(scratch_.get()));
        nearestKey_ = key;
    }
    for (auto it = first; it != last; ++it) {
        Entry& entry = at(it->second);
        std::shared_ptr<FrameSlot> slot = entry.issued ? entry.slot.lock() : entry.held;
        if (slot && slot->state == FrameSlot::State::Waiting) {
            slot->frame = std::move(scratch_);
            slot->state = FrameSlot::State::Decoded;
            return;
        }
    }
    av_frame_unref(scratch_.get());
}

HRESULT LazyVideoDecoder::decodeFor(FrameSlot& slot) {
    if (slot.state != FrameSlot::State::Waiting) return S_OK;
    const bool restarted = mustRestartFor(slot);
    bool ran = false;
    if (!restarted || startRun(restartPoint(slot.order, slot.key))) {
        if (!run(&slot, -1)) return E_OUTOFMEMORY;
        ran = true;
    }
    // Continuing did not bring it: once more from its own key frame.
    if (slot.state == FrameSlot::State::Waiting && ran && !restarted &&
        startRun(restartPoint(slot.order, slot.key))) {
        if (!run(&slot, -1)) return E_OUTOFMEMORY;
    }
    if (slot.state == FrameSlot::State::Waiting) {
        if (HRESULT hr = conceal(slot); FAILED(hr)) return hr;
    }
    if (slot.state == FrameSlot::State::Waiting) slot.state = FrameSlot::State::Failed;
    return S_OK;
}

HRESULT LazyVideoDecoder::conceal(FrameSlot& slot) {
    if (slot.key == kUntimed) return S_OK;
    auto before = byKey_.lower_bound(slot.key);
    if (before == byKey_.begin()) return S_OK;  // nothing kept is shown before it
    --before;
    // From the key frame of the frame shown just before, then from each
    // earlier key frame kept, until a run gives a picture shown before the
    // slot's (or, decoded from further back, the slot's own).
    HRESULT result = S_OK;
    concealKey_ = slot.key;
    for (int64_t start = restartPoint(before->second, before->first); start >= 0;) {
        startRun(start);
        if (!run(&slot, -1)) {
            result = E_OUTOFMEMORY;
            break;
        }
        if (slot.state != FrameSlot::State::Waiting || nearest_) break;
        start = start > firstOrder() ? restartPoint(start - 1, kUntimed) : -1;
    }
    concealKey_ = kUntimed;
    if (slot.state == FrameSlot::State::Waiting && nearest_) {
        slot.frame = std::move(nearest_);
        slot.state = FrameSlot::State::Decoded;
    }
    nearest_.reset();
    return result;
}

HRESULT LazyVideoDecoder::takeFrame(FrameSlot& slot, FramePtr& frame) {
    std::lock_guard lock(mutex_);
    if (HRESULT hr = decodeFor(slot); FAILED(hr)) return hr;
    if (slot.state != FrameSlot::State::Decoded) return MF_E_INVALID_STREAM_DATA;
    frame = std::move(slot.frame);
    slot.state = FrameSlot::State::Taken;
    return S_OK;
}

}  // namespace MorvalePlatform
