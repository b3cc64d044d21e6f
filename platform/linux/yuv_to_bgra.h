// YuvToBgra: 8-bit planar Y'CbCr frames (4:2:0, 4:2:2, 4:4:4, limited or
// full range, any of FFmpeg's matrices) straight to rows of blue, green, red,
// 255, without scaling. Each chroma sample covers the pixels it was taken
// from (no chroma interpolation), and the arithmetic is swscale's unscaled
// converter's: every term is a 16-bit product keeping its top 16 bits, so
// pixels come out as the ffmpeg tool's own unscaled conversion makes them.
// Writes exactly width pixels per row, with AVX2 where the processor has it.
// The same pixels come without their 255 as blue, green, red (YuvToBgr24).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/linux/ffmpeg_handles.h"

namespace MorvalePlatform {

// One frame's conversion: its plane geometry and fixed-point coefficients.
struct YuvToBgraPlan {
    int chromaShiftX = 0;  // log2 of the horizontal chroma subsampling
    int chromaShiftY = 0;  // log2 of the vertical chroma subsampling
    int16_t yScale = 0;    // (Y x 8 - yOffset) x yScale >> 16 is the luma term
    int16_t yOffset = 0;
    int16_t blueFromU = 0;  // (C x 8 - 1024) x coefficient >> 16 for the chroma terms
    int16_t greenFromU = 0;
    int16_t greenFromV = 0;
    int16_t redFromV = 0;
};

// The plan for a frame, or none when this converter does not take it (other
// pixel formats, or 4:2:0 and 4:2:2 at an odd height, which swscale converts
// with interpolated chroma instead).
std::optional<YuvToBgraPlan> planYuvToBgra(const AVFrame& frame);

// Converts the whole frame into width x height pixels at destination, rows
// destinationStride bytes apart.
void convertYuvToBgra(const AVFrame& frame, const YuvToBgraPlan& plan, uint8_t* destination,
                      std::ptrdiff_t destinationStride);
// The same conversion to 3-byte pixels (blue, green, red), byte for byte the
// first three of each pixel above. The stride may be negative (a bottom-up
// bitmap: destination is then the top picture row's place, the last in
// memory).
void convertYuvToBgr24(const AVFrame& frame, const YuvToBgraPlan& plan, uint8_t* destination,
                       std::ptrdiff_t destinationStride);

}  // namespace MorvalePlatform
