// The machine's physical memory in bytes (0 if it cannot be told); the
// library bounds the host arrays it asks for by it.
#pragma once

#include <cstdint>

namespace MorvalePlatform {

uint64_t physicalMemoryBytes();

}  // namespace MorvalePlatform
