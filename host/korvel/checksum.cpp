#include "host/korvel/checksum.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace korvel {

std::string checksum(const unsigned char* data, std::size_t size) {
    std::uint64_t hash = 1469598103934665603ull ^ size;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        hash = (hash ^ word) * 1099511628211ull;
        hash ^= hash >> 29;
    }
    for (; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
    char buf[24];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(hash));
    return buf;
}

}  // namespace korvel
