// libFuzzer target for the audio reading path: the input becomes an audio
// file (fuzz_input.h) that readAudioFile reads with the call sequence its
// last byte picks: ReadAudioProperties, maybe ReadAudioData, DeleteAudioCache.
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/fuzz/read_audio_session.h"

namespace {

morvale_fuzz::SessionReport readWith(const std::string& path, const morvale_fuzz::RegisteredCodes& codes,
                                     unsigned sequence) {
    return morvale_fuzz::readAudioFile(path, codes, static_cast<morvale_fuzz::AudioSequence>(sequence));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    morvale_fuzz::initialiseTarget("read_audio");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const morvale_fuzz::ReadingTarget target{"read_audio", morvale_fuzz::audioExtensions(),
                                                    morvale_fuzz::kAudioSequences, readWith};
    return morvale_fuzz::readInput(target, {data, size});
}
