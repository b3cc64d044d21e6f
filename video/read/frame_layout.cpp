#include "video/read/frame_layout.h"

#include <cstring>

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#define MORVALE_HAVE_SSSE3_COPY 1
#endif

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

// Portable row copy: four pixels a step, 16 bytes in, three words out.
void copyRowPortable(const uint8_t* in, uint8_t* out, uint32_t width) {
    uint32_t x = 0;
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

void copyBgrRowPortable(const uint8_t* in, uint8_t* out, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
}

#ifdef MORVALE_HAVE_SSSE3_COPY
// One byte shuffle per four pixels. Each store writes 16 bytes of which 12
// are pixels; the 4 extra land on the next pixel and a byte of the one after,
// so the vector loop runs only while two more pixels follow in the row and
// the tail is copied by the portable loop.
__attribute__((target("ssse3"))) void copyRowSsse3(const uint8_t* in, uint8_t* out, uint32_t width) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    uint32_t x = 0;
    for (; x + 6 <= width; x += 4, in += 16, out += 12) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(pixels, order));
    }
    copyRowPortable(in, out, width - x);
}

// Eight pixels a step: the in-lane shuffle leaves 12 pixel bytes at the
// start of each 128-bit half, a dword permute joins them into 24, and the
// 32-byte store writes 8 bytes beyond them (the next two pixels and a byte
// of the third), so the loop runs while three more pixels follow and the
// rest goes to the 16-byte loop.
__attribute__((target("avx2"))) void copyRowAvx2(const uint8_t* in, uint8_t* out, uint32_t width) {
    const __m256i order = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1,  //
                                           2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
    uint32_t x = 0;
    for (; x + 11 <= width; x += 8, in += 32, out += 24) {
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
        const __m256i packed = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(pixels, order), join);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), packed);
    }
    copyRowSsse3(in, out, width - x);
}

// Five pixels a step: the shuffle reverses each 3-byte pixel of a 16-byte
// load and leaves the 16th byte zero; that byte lands on the next pixel,
// which a later step writes, so the loop runs while a sixth pixel follows
// (which also keeps the 16-byte load inside the row).
__attribute__((target("ssse3"))) void copyBgrRowSsse3(const uint8_t* in, uint8_t* out, uint32_t width) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, -1);
    uint32_t x = 0;
    for (; x + 6 <= width; x += 5, in += 15, out += 15) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(pixels, order));
    }
    copyBgrRowPortable(in, out, width - x);
}

bool haveSsse3() {
    static const bool available = __builtin_cpu_supports("ssse3");
    return available;
}

bool haveAvx2() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}
#endif

}  // namespace

void copyBgrxRowsToRgb(const uint8_t* source, std::size_t sourceStride, uint8_t* destination,
                       std::size_t destinationStride, uint32_t width, uint32_t rows) {
    void (*copyRow)(const uint8_t*, uint8_t*, uint32_t) = copyRowPortable;
#ifdef MORVALE_HAVE_SSSE3_COPY
    if (haveAvx2()) {
        copyRow = copyRowAvx2;
    } else if (haveSsse3()) {
        copyRow = copyRowSsse3;
    }
#endif
    for (uint32_t r = 0; r < rows; ++r) {
        copyRow(source + r * sourceStride, destination + r * destinationStride, width);
    }
}

void copyBgrRowsToRgb(const uint8_t* source, std::ptrdiff_t sourceStride, uint8_t* destination,
                      std::size_t destinationStride, uint32_t width, uint32_t rows) {
    void (*copyRow)(const uint8_t*, uint8_t*, uint32_t) = copyBgrRowPortable;
#ifdef MORVALE_HAVE_SSSE3_COPY
    if (haveSsse3()) {
        copyRow = copyBgrRowSsse3;
    }
#endif
    for (uint32_t r = 0; r < rows; ++r) {
        copyRow(source + static_cast<std::ptrdiff_t>(r) * sourceStride, destination + r * destinationStride, width);
    }
}

}  // namespace TravexUtils
