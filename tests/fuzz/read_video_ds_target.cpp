// libFuzzer target for the DirectShow reading path: the input becomes a
// media file (fuzz_input.h) driven through every DS reading export, the
// graph's streaming thread included.
#include "tests/fuzz/read_video_fuzzing.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return morvale_fuzz::initializeReadingTarget("read_video_ds"); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return morvale_fuzz::readInput("read_video_ds", morvale_fuzz::directShowExports(), data, size);
}
