// libFuzzer target for the Media Foundation reading path: the input becomes
// a media file (fuzz_input.h) driven through every MF reading export.
#include "tests/fuzz/read_video_fuzzing.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return morvale_fuzz::initializeReadingTarget("read_video"); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return morvale_fuzz::readInput("read_video", morvale_fuzz::mediaFoundationExports(), data, size);
}
