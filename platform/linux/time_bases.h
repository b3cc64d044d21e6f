// Time bases the Linux platform converts between, as C++ constants
// (FFmpeg's AV_TIME_BASE_Q is a C compound literal, which C++ compilers
// other than GCC refuse).
#pragma once

extern "C" {
#include <libavutil/avutil.h>
}

namespace MorvalePlatform {

// FFmpeg's internal microseconds (AV_TIME_BASE_Q).
constexpr AVRational kAvTimeBase{1, AV_TIME_BASE};
// The platform's sample times and durations.
constexpr AVRational kHundredNanoseconds{1, 10000000};

}  // namespace MorvalePlatform
