// One caller frame turned into the sink writer's RGB32 sample layout.
#pragma once

#include <cstdint>

namespace TravexUtils {

// pixels: height rows of width pixels of bytesPerPixel bytes (red, green,
// blue and, with 4, alpha), top row first, no padding. destination: width x
// height x 4 bytes, written bottom row first, each pixel blue, green, red, 0;
// alpha is dropped. One pass over the pixels.
void copyFrameToRgb32(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t bytesPerPixel,
                      uint8_t* destination);

}  // namespace TravexUtils
