// korvel's hash of a result's bytes: enough to compare results between runs
// without writing them out.
#pragma once

#include <cstddef>
#include <string>

namespace korvel {

// A fast 64-bit hash (eight bytes a step, FNV-style mixing) as 16 hex digits.
std::string checksum(const unsigned char* data, std::size_t size);

}  // namespace korvel
