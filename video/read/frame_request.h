// Which decoded frame goes to which output slot: frame index (0-based) ->
// ordered set of slots. Repeated frame numbers put several slots under one
// index; the order of the host's list lives in the slot numbers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>

namespace TravexUtils {

class FrameRequest {
public:
    using Slots = std::set<int64_t>;
    using Map = std::map<int64_t, Slots>;

    void insert(int64_t frameIndex, int64_t slot) { frames_[frameIndex].insert(slot); }

    bool empty() const noexcept { return frames_.empty(); }
    int64_t smallestIndex() const { return frames_.begin()->first; }
    int64_t largestIndex() const { return frames_.rbegin()->first; }
    // The slots that want the frame, or null when no slot does.
    const Slots* find(int64_t frameIndex) const {
        const auto it = frames_.find(frameIndex);
        return it == frames_.end() ? nullptr : &it->second;
    }
    // One past the largest slot: how many slots a read fills.
    int64_t slotCount() const {
        int64_t count = 0;
        for (const auto& wanted : frames_) count = std::max(count, *wanted.second.rbegin() + 1);
        return count;
    }
    Map::const_iterator begin() const noexcept { return frames_.begin(); }
    Map::const_iterator end() const noexcept { return frames_.end(); }

private:
    Map frames_;
};

// A request as a reader runs it: the frames and their slots, the highest
// frame index a sequential read decodes, the number of output slots, and
// whether the read also records the frame count.
struct PlannedRequest {
    FrameRequest request;
    int32_t lastIndex = 0;
    int64_t sliceCount = 0;
    bool storeCount = false;
};

}  // namespace TravexUtils
