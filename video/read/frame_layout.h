// How decoded frames are handed out: height rows of width pixels, 3 bytes per
// pixel (red, green, blue), top row first, no gaps between rows or frames;
// output slot k of a block starts at byte k x width x height x 3.
#pragma once

#include <cstddef>
#include <cstdint>

namespace TravexUtils {

struct FrameLayout {
    static constexpr uint64_t bytesPerPixel = 3;

    static uint64_t rowBytes(uint32_t width) { return uint64_t{width} * bytesPerPixel; }
    static uint64_t frameBytes(uint32_t width, uint32_t height) { return rowBytes(width) * height; }
    static uint64_t slotOffset(int64_t slot, uint32_t width, uint32_t height) {
        return static_cast<uint64_t>(slot) * frameBytes(width, height);
    }
};

// Copies rows of 4-byte blue, green, red, ignored pixels into rows of
// 3-byte red, green, blue pixels.
void copyBgrxRowsToRgb(const uint8_t* source, std::size_t sourceStride, uint8_t* destination,
                       std::size_t destinationStride, uint32_t width, uint32_t rows);

// Copies rows of 3-byte blue, green, red pixels into rows of 3-byte red,
// green, blue pixels. A negative sourceStride walks a bottom-up bitmap from
// its last row (source points at it) to its first.
void copyBgrRowsToRgb(const uint8_t* source, std::ptrdiff_t sourceStride, uint8_t* destination,
                      std::size_t destinationStride, uint32_t width, uint32_t rows);

}  // namespace TravexUtils
