#include "video/read/frame_layout.h"

namespace TravexUtils {

void copyBgrxRowsToRgb(const uint8_t* source, std::size_t sourceStride, uint8_t* destination,
                       std::size_t destinationStride, uint32_t width, uint32_t rows) {
    for (uint32_t r = 0; r < rows; ++r) {
        const uint8_t* in = source + r * sourceStride;
        uint8_t* out = destination + r * destinationStride;
        for (uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
}

}  // namespace TravexUtils
