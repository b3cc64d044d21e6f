// What the reading targets of the fuzzer share: the library initialised once
// for the process, and one input turned into a media file that
// readVideoFile drives through one reader kind's exports. Anything unhealthy
// is printed and trapped, so that the fuzzer keeps the input as a crasher.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tests/fuzz/read_video_session.h"

namespace morvale_fuzz {

// LLVMFuzzerInitialize of a reading target; target names it in messages.
int initializeReadingTarget(const char* target);
// LLVMFuzzerTestOneInput of a reading target.
int readInput(const char* target, const ReadingExports& exports, const uint8_t* data, std::size_t size);

}  // namespace morvale_fuzz
