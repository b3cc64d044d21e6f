// libFuzzer target for the DirectShow reading path: the input becomes a
// media file (fuzz_input.h) read through the DS exports with the call
// sequence its last byte picks, the graph's streaming thread included.
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/fuzz/read_video_session.h"

namespace {

morvale_fuzz::SessionReport readWith(const std::string& path, const morvale_fuzz::RegisteredCodes& codes,
                                     unsigned sequence) {
    return morvale_fuzz::readVideoFile(path, codes, static_cast<morvale_fuzz::VideoSequence>(sequence), {},
                                       morvale_fuzz::directShowExports());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    morvale_fuzz::initialiseTarget("read_video_ds");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const morvale_fuzz::ReadingTarget target{"read_video_ds", morvale_fuzz::containerExtensions(),
                                                    morvale_fuzz::kVideoSequences, readWith};
    return morvale_fuzz::readInput(target, {data, size});
}
