#include "host/korvel/image_output.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "host/korvel/checksum.h"
#include "host/korvel/png_files.h"
#include "host/sr64i4/json_text.h"
#include "host/stand_in/host_stand_in.h"

namespace korvel {
namespace {

// slice_0001.png, slice_0002.png, ...: 1-based, in slot order, padded so
// that names sort like the slots.
std::string sliceFileName(mint slice, mint slices) {
    const std::size_t digits = std::max<std::size_t>(4, std::to_string(slices).size());
    std::string number = std::to_string(slice + 1);
    number.insert(0, digits - std::min(digits, number.size()), '0');
    return "slice_" + number + ".png";
}

}  // namespace

std::string renderImage(MImage image, const CallOptions& options) {
    const mint slices = imageSlices(image);
    const mint rows = imageRows(image);
    const mint columns = imageColumns(image);
    const mint channels = imageChannels(image);
    const std::size_t frameBytes = static_cast<std::size_t>(rows * columns * channels);
    const std::size_t bytes = frameBytes * static_cast<std::size_t>(slices > 0 ? slices : 1);
    std::string json = "{\"rank\":" + std::to_string(imageRank(image)) + ",\"slices\":" + std::to_string(slices) +
                       ",\"height\":" + std::to_string(rows) + ",\"width\":" + std::to_string(columns) +
                       ",\"channels\":" + std::to_string(channels);
    if (options.checksum) {
        json += ",\"checksum\":\"" + checksum(imageData(image), bytes) + "\"";
    } else if (!options.out.empty()) {
        if (channels != 3) throw std::runtime_error("only RGB images can be written as PNG");
        if (slices == 0) {
            writeRgbPng(options.out, imageData(image), static_cast<int>(columns), static_cast<int>(rows));
        } else {
            std::filesystem::create_directories(options.out);
            for (mint k = 0; k < slices; ++k) {
                const auto file = std::filesystem::path(options.out) / sliceFileName(k, slices);
                writeRgbPng(file.string(), imageData(image) + frameBytes * static_cast<std::size_t>(k),
                            static_cast<int>(columns), static_cast<int>(rows));
            }
        }
        json += ",\"out\":" + sr::jsonString(options.out);
    }
    return json + "}";
}

}  // namespace korvel
