// The largest video frames the platform decodes, as Windows' decoders bound
// them: at most 8192 pixels a side and at most 8192 x 4320 pixels in all
// (every real H.264, HEVC and VP9 profile fits; portrait frames such as
// 4320 x 7680 do too). A stream that claims more is refused before anything
// of its size is allocated; a decoder never makes a larger frame.
#pragma once

#include <cstdint>

namespace MorvalePlatform {

struct FrameSizeLimits {
    static constexpr int64_t kMaxSide = 8192;
    static constexpr int64_t kMaxPixels = int64_t{8192} * 4320;

    // Sizes of 0 (not known yet) are accepted; the decoder bounds them.
    static bool accepts(int64_t width, int64_t height) {
        if (width < 0 || height < 0) return false;
        return width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
    }
};

}  // namespace MorvalePlatform
