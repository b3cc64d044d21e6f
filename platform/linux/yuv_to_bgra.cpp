// YuvToBgra; see yuv_to_bgra.h.
#include "platform/linux/yuv_to_bgra.h"

#include <algorithm>

#include "platform/linux/frame_colorspace.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define MORVALE_HAVE_AVX2_YUV 1
#endif

namespace MorvalePlatform {
namespace {

struct FormatShape {
    AVPixelFormat format;
    int shiftX;
    int shiftY;
    bool fullRangeByDefault;  // the deprecated J formats
};

constexpr FormatShape kShapes[] = {
    {AV_PIX_FMT_YUV420P, 1, 1, false}, {AV_PIX_FMT_YUVJ420P, 1, 1, true},
    {AV_PIX_FMT_YUV422P, 1, 0, false}, {AV_PIX_FMT_YUVJ422P, 1, 0, true},
    {AV_PIX_FMT_YUV444P, 0, 0, false}, {AV_PIX_FMT_YUVJ444P, 0, 0, true},
};

// A 16.16 value times 2^shift, rounded to 16 bits as swscale does.
int16_t fixed16(int64_t value, int shift) {
    const int64_t rounded = (value * (int64_t{1} << shift) + (1 << 15)) >> 16;
    return static_cast<int16_t>(std::clamp<int64_t>(rounded, INT16_MIN, INT16_MAX));
}

inline uint8_t clampByte(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

// The three chroma terms of one chroma sample pair.
struct ChromaTerms {
    int blue;
    int green;
    int red;
};

inline ChromaTerms chromaTerms(const YuvToBgraPlan& plan, uint8_t u, uint8_t v) {
    const int cu = u * 8 - 1024;
    const int cv = v * 8 - 1024;
    return {(cu * plan.blueFromU) >> 16, ((cu * plan.greenFromU) >> 16) + ((cv * plan.greenFromV) >> 16),
            (cv * plan.redFromV) >> 16};
}

// kPixelBytes: 4 for blue, green, red, 255; 3 for blue, green, red.
template <int kPixelBytes>
inline void writePixel(const YuvToBgraPlan& plan, uint8_t y, const ChromaTerms& c, uint8_t* out) {
    const int luma = ((y * 8 - plan.yOffset) * plan.yScale) >> 16;
    out[0] = clampByte(luma + c.blue);
    out[1] = clampByte(luma + c.green);
    out[2] = clampByte(luma + c.red);
    if constexpr (kPixelBytes == 4) out[3] = 255;
}

// Pixels [from, width) of one row.
template <int kPixelBytes>
void convertRowPortable(const YuvToBgraPlan& plan, const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* out,
                        int from, int width) {
    for (int x = from; x < width; ++x) {
        const int c = x >> plan.chromaShiftX;
        writePixel<kPixelBytes>(plan, y[x], chromaTerms(plan, u[c], v[c]),
                                out + kPixelBytes * static_cast<std::ptrdiff_t>(x));
    }
}

#ifdef MORVALE_HAVE_AVX2_YUV
__attribute__((target("avx2"), always_inline)) inline __m256i clampWords(__m256i value, __m256i low, __m256i high) {
    return _mm256_min_epi16(_mm256_max_epi16(value, low), high);
}

// Sixteen 4-byte pixels (four per 128-bit lane, in order) as 48 bytes of
// blue, green, red: each lane drops its alpha bytes, and the 12-byte pieces
// are joined into three full stores.
__attribute__((target("avx2"), always_inline)) inline void storeBgr24(__m128i p0, __m128i p1, __m128i p2, __m128i p3,
                                                                       uint8_t* out) {
    const __m128i drop = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m128i a = _mm_shuffle_epi8(p0, drop);
    const __m128i b = _mm_shuffle_epi8(p1, drop);
    const __m128i c = _mm_shuffle_epi8(p2, drop);
    const __m128i d = _mm_shuffle_epi8(p3, drop);
    __m128i* target = reinterpret_cast<__m128i*>(out);
    _mm_storeu_si128(target, _mm_or_si128(a, _mm_slli_si128(b, 12)));
    _mm_storeu_si128(target + 1, _mm_or_si128(_mm_srli_si128(b, 4), _mm_slli_si128(c, 8)));
    _mm_storeu_si128(target + 2, _mm_or_si128(_mm_srli_si128(c, 8), _mm_slli_si128(d, 4)));
}

// Sixteen pixels a step, the same products as the portable loop (pmulhw is
// the product's top 16 bits); returns the first pixel left to the caller.
template <int kPixelBytes>
__attribute__((target("avx2"))) int convertRowAvx2(const YuvToBgraPlan& plan, const uint8_t* y, const uint8_t* u,
                                                   const uint8_t* v, uint8_t* out, int width) {
    const __m256i yOffset = _mm256_set1_epi16(plan.yOffset);
    const __m256i yScale = _mm256_set1_epi16(plan.yScale);
    const __m256i chromaOffset = _mm256_set1_epi16(1024);
    const __m256i blueFromU = _mm256_set1_epi16(plan.blueFromU);
    const __m256i greenFromU = _mm256_set1_epi16(plan.greenFromU);
    const __m256i greenFromV = _mm256_set1_epi16(plan.greenFromV);
    const __m256i redFromV = _mm256_set1_epi16(plan.redFromV);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i byteMax = _mm256_set1_epi16(255);
    const __m256i alpha = _mm256_set1_epi16(static_cast<short>(0xFF00));
    const bool halfChroma = plan.chromaShiftX == 1;
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        __m128i u8;
        __m128i v8;
        if (halfChroma) {
            // Eight chroma samples, each doubled for the two pixels it covers.
            const __m128i uHalf = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(u + x / 2));
            const __m128i vHalf = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(v + x / 2));
            u8 = _mm_unpacklo_epi8(uHalf, uHalf);
            v8 = _mm_unpacklo_epi8(vHalf, vHalf);
        } else {
            u8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + x));
            v8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + x));
        }
        const __m256i cu = _mm256_sub_epi16(_mm256_slli_epi16(_mm256_cvtepu8_epi16(u8), 3), chromaOffset);
        const __m256i cv = _mm256_sub_epi16(_mm256_slli_epi16(_mm256_cvtepu8_epi16(v8), 3), chromaOffset);
        const __m256i y16 = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x)));
        const __m256i luma = _mm256_mulhi_epi16(_mm256_sub_epi16(_mm256_slli_epi16(y16, 3), yOffset), yScale);
        const __m256i green = _mm256_add_epi16(_mm256_mulhi_epi16(cu, greenFromU), _mm256_mulhi_epi16(cv, greenFromV));
        const __m256i b = clampWords(_mm256_add_epi16(luma, _mm256_mulhi_epi16(cu, blueFromU)), zero, byteMax);
        const __m256i g = clampWords(_mm256_add_epi16(luma, green), zero, byteMax);
        const __m256i r = clampWords(_mm256_add_epi16(luma, _mm256_mulhi_epi16(cv, redFromV)), zero, byteMax);
        // Words blue | green << 8 and red | 255 << 8 interleave into pixels;
        // unpacking works per 128-bit lane, so the halves are put back in
        // order before storing.
        const __m256i blueGreen = _mm256_or_si256(b, _mm256_slli_epi16(g, 8));
        const __m256i redAlpha = _mm256_or_si256(r, alpha);
        const __m256i low = _mm256_unpacklo_epi16(blueGreen, redAlpha);   // pixels 0-3, 8-11
        const __m256i high = _mm256_unpackhi_epi16(blueGreen, redAlpha);  // pixels 4-7, 12-15
        if constexpr (kPixelBytes == 4) {
            __m256i* target = reinterpret_cast<__m256i*>(out + 4 * static_cast<std::ptrdiff_t>(x));
            _mm256_storeu_si256(target, _mm256_permute2x128_si256(low, high, 0x20));
            _mm256_storeu_si256(target + 1, _mm256_permute2x128_si256(low, high, 0x31));
        } else {
            storeBgr24(_mm256_castsi256_si128(low), _mm256_castsi256_si128(high), _mm256_extracti128_si256(low, 1),
                       _mm256_extracti128_si256(high, 1), out + 3 * static_cast<std::ptrdiff_t>(x));
        }
    }
    return x;
}

bool haveAvx2() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}
#endif

}  // namespace

std::optional<YuvToBgraPlan> planYuvToBgra(const AVFrame& frame) {
    const auto shape = std::find_if(std::begin(kShapes), std::end(kShapes),
                                    [&](const FormatShape& s) { return s.format == frame.format; });
    if (shape == std::end(kShapes)) return std::nullopt;
    if (shape->shiftX != 0 && (frame.height & 1) != 0) return std::nullopt;
    if (frame.width <= 0 || frame.height <= 0) return std::nullopt;

    // Coefficients as swscale derives them from its inverse tables (16.16):
    // limited range stretches luma by 255/219 around 16, full range narrows
    // the chroma coefficients by 224/255.
    const bool fullRange = frame.color_range == AVCOL_RANGE_JPEG ||
                           (shape->fullRangeByDefault && frame.color_range != AVCOL_RANGE_MPEG);
    const int colorspace = frameColorspace(frame);
    const int* table = sws_getCoefficients(colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : colorspace);
    int64_t redV = table[0];
    int64_t blueU = table[1];
    int64_t greenU = -int64_t{table[2]};
    int64_t greenV = -int64_t{table[3]};
    int64_t luma = 1 << 16;
    int64_t lumaOffset = 0;
    if (fullRange) {
        redV = redV * 224 / 255;
        blueU = blueU * 224 / 255;
        greenU = greenU * 224 / 255;
        greenV = greenV * 224 / 255;
    } else {
        luma = luma * 255 / 219;
        lumaOffset = 16 << 16;
    }
    YuvToBgraPlan plan;
    plan.chromaShiftX = shape->shiftX;
    plan.chromaShiftY = shape->shiftY;
    plan.yScale = fixed16(luma, 13);
    plan.yOffset = fixed16(lumaOffset, 3);
    plan.blueFromU = fixed16(blueU, 13);
    plan.greenFromU = fixed16(greenU, 13);
    plan.greenFromV = fixed16(greenV, 13);
    plan.redFromV = fixed16(redV, 13);
    return plan;
}

namespace {

template <int kPixelBytes>
void convertRows(const AVFrame& frame, const YuvToBgraPlan& plan, uint8_t* destination,
                 std::ptrdiff_t destinationStride) {
    for (int row = 0; row < frame.height; ++row) {
        const int chromaRow = row >> plan.chromaShiftY;
        const uint8_t* y = frame.data[0] + static_cast<std::ptrdiff_t>(row) * frame.linesize[0];
        const uint8_t* u = frame.data[1] + static_cast<std::ptrdiff_t>(chromaRow) * frame.linesize[1];
        const uint8_t* v = frame.data[2] + static_cast<std::ptrdiff_t>(chromaRow) * frame.linesize[2];
        uint8_t* out = destination + row * destinationStride;
        int done = 0;
#ifdef MORVALE_HAVE_AVX2_YUV
        if (haveAvx2()) done = convertRowAvx2<kPixelBytes>(plan, y, u, v, out, frame.width);
#endif
        convertRowPortable<kPixelBytes>(plan, y, u, v, out, done, frame.width);
    }
}

}  // namespace

void convertYuvToBgra(const AVFrame& frame, const YuvToBgraPlan& plan, uint8_t* destination,
                      std::ptrdiff_t destinationStride) {
    convertRows<4>(frame, plan, destination, destinationStride);
}

void convertYuvToBgr24(const AVFrame& frame, const YuvToBgraPlan& plan, uint8_t* destination,
                       std::ptrdiff_t destinationStride) {
    convertRows<3>(frame, plan, destination, destinationStride);
}

}  // namespace MorvalePlatform
