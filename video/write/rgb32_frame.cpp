#include "video/write/rgb32_frame.h"

#include <cstddef>

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#define MORVALE_HAVE_SSSE3_FRAME 1
#endif

namespace TravexUtils {
namespace {

void copyRowPortable(const uint8_t* source, uint8_t* out, uint32_t width, uint32_t bytesPerPixel) {
    for (uint32_t c = 0; c < width; ++c, source += bytesPerPixel, out += 4) {
        out[0] = source[2];
        out[1] = source[1];
        out[2] = source[0];
        out[3] = 0;
    }
}

#ifdef MORVALE_HAVE_SSSE3_FRAME
// Four pixels a step, one byte shuffle: a zeroing index (-1) writes the pad
// byte. The 16-byte load of RGB rows reads 4 bytes beyond the 12 it uses,
// so that loop runs while two more pixels follow in the row; the tail goes
// to the portable loop.
__attribute__((target("ssse3"))) void copyRowSsse3(const uint8_t* source, uint8_t* out, uint32_t width,
                                                   uint32_t bytesPerPixel) {
    uint32_t c = 0;
    if (bytesPerPixel == 3) {
        const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
        for (; c + 6 <= width; c += 4, source += 12, out += 16) {
            const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(pixels, order));
        }
    } else {
        const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 6, 5, 4, -1, 10, 9, 8, -1, 14, 13, 12, -1);
        for (; c + 4 <= width; c += 4, source += 16, out += 16) {
            const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(pixels, order));
        }
    }
    copyRowPortable(source, out, width - c, bytesPerPixel);
}

bool haveSsse3() {
    static const bool available = __builtin_cpu_supports("ssse3");
    return available;
}
#endif

}  // namespace

void copyFrameToRgb32(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t bytesPerPixel,
                      uint8_t* destination) {
    void (*copyRow)(const uint8_t*, uint8_t*, uint32_t, uint32_t) = copyRowPortable;
#ifdef MORVALE_HAVE_SSSE3_FRAME
    if (haveSsse3()) copyRow = copyRowSsse3;
#endif
    const std::size_t sourceRow = std::size_t{width} * bytesPerPixel;
    for (uint32_t r = 0; r < height; ++r) {
        copyRow(pixels + std::size_t{height - 1 - r} * sourceRow, destination + std::size_t{r} * width * 4, width,
                bytesPerPixel);
    }
}

}  // namespace TravexUtils
