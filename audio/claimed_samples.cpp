// checkClaimedSamples; see claimed_samples.h.
#include "audio/claimed_samples.h"

#include <filesystem>
#include <system_error>

#include "bridge/error_manager.h"
#include "platform/physical_memory.h"

namespace TravexUtils {
namespace {

// The size of the file the source reader opened; 0 when it cannot be told.
uint64_t fileBytes(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(std::u8string(path.begin(), path.end()), error);
    return error ? 0 : static_cast<uint64_t>(size);
}

}  // namespace

bool claimedSamplesBelievable(uint64_t arrayBytes, uint64_t fileBytes, uint64_t memoryBytes) {
    if (memoryBytes != 0 && arrayBytes > memoryBytes) return false;
    if (arrayBytes <= kAlwaysBelievedBytes || fileBytes == 0) return true;
    return fileBytes >= arrayBytes / kMostPcmBytesPerFileByte + (arrayBytes % kMostPcmBytesPerFileByte != 0);
}

void checkClaimedSamples(const std::string& path, uint32_t sampleCount) {
    const uint64_t arrayBytes = uint64_t{sampleCount} * sizeof(int16_t);
    if (!claimedSamplesBelievable(arrayBytes, fileBytes(path), MorvalePlatform::physicalMemoryBytes())) {
        ErrorManager::throwException("MemoryError", "The file claims more audio than it can hold");
    }
}

}  // namespace TravexUtils
