// PNG files for korvel's image results and arguments: through FFmpeg's PNG
// encoder and decoder on Linux (png_files.cpp), through the Windows Imaging
// Component on Windows (png_files_wic.cpp).
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

// Reads any picture the platform's decoders know and converts it to packed
// RGB. Throws std::runtime_error.
RgbPicture readRgbPicture(const std::string& path);

}  // namespace korvel
