#include "host/korvel/image_output.h"

#include <cstdint>
#include <cstdio>

#include "host/stand_in/host_stand_in.h"

namespace korvel {
namespace {

// FNV-1a over the pixel bytes; enough to compare frames between runs.
std::string checksum(const unsigned char* data, std::size_t size) {
    std::uint64_t hash = 1469598103934665603ull;
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 1099511628211ull;
    }
    char buf[24];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(hash));
    return buf;
}

}  // namespace

std::string renderImage(MImage image, const CallOptions& options) {
    const mint slices = imageSlices(image);
    const mint rows = imageRows(image);
    const mint columns = imageColumns(image);
    const mint channels = imageChannels(image);
    std::string json = "{\"slices\":" + std::to_string(slices) + ",\"height\":" + std::to_string(rows) +
                       ",\"width\":" + std::to_string(columns) + ",\"channels\":" + std::to_string(channels);
    const std::size_t bytes = static_cast<std::size_t>((slices > 0 ? slices : 1) * rows * columns * channels);
    if (options.checksum) {
        json += ",\"checksum\":\"" + checksum(imageData(image), bytes) + "\"";
    }
    return json + "}";
}

}  // namespace korvel
