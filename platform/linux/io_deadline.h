// The deadline of the blocking FFmpeg operations on one opened file, as its
// interrupt callback sees them. FFmpeg calls the callback while it reads,
// waits or loops inside an operation (opening, probing, reading a packet,
// seeking); the operation is given up once it has gone on for `limit`
// without getting further into the file. Reading a big file therefore never
// runs out of time, while anything that waits or spins in place does.
//
// FFmpeg does not say where one operation ends and the next begins: a pause
// of more than `idleGap` between two calls means it returned to its caller
// in between (the reader decoding, the host at work), so the next call
// starts a new operation with a fresh deadline.
//
// Used by one thread at a time: the reader that owns the file serialises
// every call into FFmpeg.
#pragma once

#include <chrono>
#include <cstdint>

namespace MorvalePlatform {

class IoDeadline {
public:
    using Clock = std::chrono::steady_clock;

    // Generous: an operation on a local file that makes no progress for this
    // long is stuck, not slow.
    static constexpr Clock::duration kStallLimit = std::chrono::seconds(30);
    // FFmpeg's own waiting loops check for an interrupt every 100 ms or so.
    static constexpr Clock::duration kIdleGap = std::chrono::seconds(1);

    IoDeadline(Clock::duration limit = kStallLimit, Clock::duration idleGap = kIdleGap)
        : limit_(limit), idleGap_(idleGap) {}

    // One call of the interrupt callback at `now`, with the file position
    // FFmpeg has read up to. True: interrupt the operation.
    bool expired(Clock::time_point now, int64_t position);

private:
    Clock::duration limit_;
    Clock::duration idleGap_;
    bool started_ = false;
    Clock::time_point lastCall_{};
    Clock::time_point stalledSince_{};
    int64_t position_ = 0;
};

}  // namespace MorvalePlatform
