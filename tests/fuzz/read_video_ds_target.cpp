// libFuzzer target for the DirectShow reading path: the input becomes a
// media file (fuzz_input.h) driven through every DS reading export, the
// graph's streaming thread included.
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/fuzz/read_video_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    morvale_fuzz::initialiseTarget("read_video_ds");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return morvale_fuzz::readInput("read_video_ds", {data, size}, morvale_fuzz::containerExtensions(),
                                   [](const std::string& path, const morvale_fuzz::RegisteredCodes& codes) {
                                       return morvale_fuzz::readVideoFile(path, codes, {},
                                                                          morvale_fuzz::directShowExports());
                                   });
}
