#include "video/write/rgb32_frame.h"

#include <cstddef>

namespace TravexUtils {

void copyFrameToRgb32(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t bytesPerPixel,
                      uint8_t* destination) {
    const std::size_t sourceRow = std::size_t{width} * bytesPerPixel;
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* source = pixels + std::size_t{height - 1 - r} * sourceRow;
        uint8_t* out = destination + std::size_t{r} * width * 4;
        for (uint32_t c = 0; c < width; ++c, source += bytesPerPixel, out += 4) {
            out[0] = source[2];
            out[1] = source[1];
            out[2] = source[0];
            out[3] = 0;
        }
    }
}

}  // namespace TravexUtils
