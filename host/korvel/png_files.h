// PNG files for korvel's image results and arguments, through FFmpeg's PNG
// encoder and decoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// Writes packed 8-bit RGB pixels as a PNG file. Throws std::runtime_error.
void writeRgbPng(const std::string& path, const uint8_t* rgb, int width, int height);

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // packed 8-bit RGB, top row first
};

// Reads any picture FFmpeg can decode and converts it to packed RGB.
RgbPicture readRgbPicture(const std::string& path);

}  // namespace korvel
