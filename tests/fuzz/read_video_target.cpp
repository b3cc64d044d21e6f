// libFuzzer target for the Media Foundation video reading path: the input
// becomes a video file (fuzz_input.h) that readVideoFile reads with the call
// sequence its last byte picks.
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/fuzz/read_video_session.h"

namespace {

morvale_fuzz::SessionReport readWith(const std::string& path, const morvale_fuzz::RegisteredCodes& codes,
                                     unsigned sequence) {
    return morvale_fuzz::readVideoFile(path, codes, static_cast<morvale_fuzz::VideoSequence>(sequence));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    morvale_fuzz::initialiseTarget("read_video");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const morvale_fuzz::ReadingTarget target{"read_video", morvale_fuzz::containerExtensions(),
                                                    morvale_fuzz::kVideoSequences, readWith};
    return morvale_fuzz::readInput(target, {data, size});
}
