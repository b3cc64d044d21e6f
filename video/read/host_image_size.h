// The size of the host image a reading call asks for: slices frames of
// width x height x 3 bytes. The host is asked only for an image that fits in
// the machine's physical memory; a larger request (or one whose size does
// not even fit in 64 bits) raises "MemoryError" before anything is
// allocated or decoded.
#pragma once

#include <cstdint>

namespace TravexUtils {

// limitBytes: the largest image allowed.
bool hostImageFits(int64_t slices, uint32_t width, uint32_t height, uint64_t limitBytes);

// Raises "MemoryError" unless the image fits in the machine's memory.
void checkHostImageSize(int64_t slices, uint32_t width, uint32_t height);

}  // namespace TravexUtils
