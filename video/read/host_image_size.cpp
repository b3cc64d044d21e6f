#include "video/read/host_image_size.h"

#include "bridge/error_manager.h"
#include "platform/physical_memory.h"
#include "video/read/frame_layout.h"

namespace TravexUtils {

bool hostImageFits(int64_t slices, uint32_t width, uint32_t height, uint64_t limitBytes) {
    if (slices < 0) return false;
    if (slices == 0 || width == 0 || height == 0) return true;  // no pixels at all
    const uint64_t row = FrameLayout::rowBytes(width);           // at most 3 x 2^32: no overflow
    if (row > limitBytes / height) return false;
    return static_cast<uint64_t>(slices) <= limitBytes / (row * height);
}

void checkHostImageSize(int64_t slices, uint32_t width, uint32_t height) {
    const uint64_t memory = MorvalePlatform::physicalMemoryBytes();
    if (!hostImageFits(slices, width, height, memory != 0 ? memory : UINT64_MAX)) {
        ErrorManager::throwException("MemoryError", "The frames do not fit in memory");
    }
}

}  // namespace TravexUtils
