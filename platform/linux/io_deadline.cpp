// IoDeadline; see io_deadline.h.
#include "platform/linux/io_deadline.h"

namespace MorvalePlatform {

bool IoDeadline::expired(Clock::time_point now, int64_t position) {
    const bool newOperation = !started_ || now - lastCall_ > idleGap_;
    if (newOperation || position != position_) {
        stalledSince_ = now;
        position_ = position;
    }
    started_ = true;
    lastCall_ = now;
    return now - stalledSince_ > limit_;
}

}  // namespace MorvalePlatform
