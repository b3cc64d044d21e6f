// libFuzzer target for the Media Foundation video reading path: the input
// becomes a video file (fuzz_input.h) that readVideoFile drives through
// every reading export.
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/fuzz/read_video_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    morvale_fuzz::initialiseTarget("read_video");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return morvale_fuzz::readInput("read_video", {data, size}, morvale_fuzz::containerExtensions(),
                                   [](const std::string& path, const morvale_fuzz::RegisteredCodes& codes) {
                                       return morvale_fuzz::readVideoFile(path, codes);
                                   });
}
