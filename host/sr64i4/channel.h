// One direction of a link: the complete expressions waiting to be read, in
// the order they were completed, and the expression still being written.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "host/sr64i4/sr_value.h"

namespace sr {

class Channel {
public:
    // Writing. A head with count n > 0 opens an expression that takes the
    // next n puts as its arguments; a head with count 0 is complete at once.
    void putHead(const std::string& head, int count, const std::string& origin);
    // Puts a complete expression: an argument of the innermost open one, or,
    // when none is open, the next readable expression.
    void put(SrValue expression);
    // The outermost open expression with the arguments it has so far.
    std::optional<SrValue> partial() const;
    // Expressions opened and not yet complete.
    std::size_t openDepth() const { return open_.size(); }
    // Complete top-level expressions written since the channel was made.
    long long completedCount() const { return completed_; }

    // Reading.
    bool empty() const { return ready_.empty(); }
    std::size_t size() const { return ready_.size(); }
    const SrValue& front() const { return ready_.front(); }
    SrValue take();
    // Consumes the head of the front function so that its arguments are the
    // next expressions read.
    void openFront();

private:
    struct Frame {
        SrValue node;
        std::size_t expected;
    };

    std::deque<SrValue> ready_;
    std::vector<Frame> open_;  // innermost last
    long long completed_ = 0;
};

}  // namespace sr
