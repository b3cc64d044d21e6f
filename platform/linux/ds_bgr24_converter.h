// Bgr24Converter: decoded frames to the bitmaps the sample grabber hands
// out: width x height pixels of blue, green, red, the bottom row first, each
// row padded with zero bytes to a multiple of 4. The pixels are those of the
// platform's RGB32 conversion (RgbConverter: exact for RGB sources, the
// ffmpeg tool's arithmetic for 8-bit Y'CbCr), so a frame reads the same
// through either API; a frame of another size is scaled to the stream's.
// 8-bit planar Y'CbCr at the stream's size converts in one pass straight
// into the bitmap; other frames go through an RGB32 buffer.
// Thread-safe: the streaming thread and samples converting lazily on other
// threads share one.
#pragma once

#include "platform/direct_show.h"
#include <cstddef>

#include "platform/linux/rgb_converter.h"

namespace MorvalePlatform {

class Bgr24Converter {
public:
    Bgr24Converter(int width, int height) noexcept : layout_{width, height, height} {}

    std::size_t bytes() const noexcept;
    // Writes bytes() bytes at destination.
    HRESULT convert(const AVFrame& frame, BYTE* destination);

private:
    RgbConverter rgb_;
    RgbLayout layout_;
};

}  // namespace MorvalePlatform
