#include "video/read/frame_layout.h"

#include <cstring>

namespace TravexUtils {
namespace {

// One blue, green, red, ignored pixel as a little-endian word -> red, green,
// blue in the low three bytes.
inline uint32_t rgbOf(uint32_t bgrx) { return __builtin_bswap32(bgrx) >> 8; }

inline uint32_t load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

}  // namespace

void copyBgrxRowsToRgb(const uint8_t* source, std::size_t sourceStride, uint8_t* destination,
                       std::size_t destinationStride, uint32_t width, uint32_t rows) {
    for (uint32_t r = 0; r < rows; ++r) {
        const uint8_t* in = source + r * sourceStride;
        uint8_t* out = destination + r * destinationStride;
        uint32_t x = 0;
        // Four pixels a step: 16 bytes in, three 32-bit words out.
        for (; x + 4 <= width; x += 4, in += 16, out += 12) {
            const uint32_t p0 = rgbOf(load32(in));
            const uint32_t p1 = rgbOf(load32(in + 4));
            const uint32_t p2 = rgbOf(load32(in + 8));
            const uint32_t p3 = rgbOf(load32(in + 12));
            store32(out, p0 | p1 << 24);
            store32(out + 4, p1 >> 8 | p2 << 16);
            store32(out + 8, p2 >> 16 | p3 << 8);
        }
        for (; x < width; ++x, in += 4, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
}

}  // namespace TravexUtils
