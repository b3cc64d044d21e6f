// libFuzzer target for the audio reading path: the input becomes an audio
// file (fuzz_input.h) that readAudioFile drives through ReadAudioProperties,
// ReadAudioData and DeleteAudioCache.
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/fuzz/read_audio_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    morvale_fuzz::initialiseTarget("read_audio");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return morvale_fuzz::readInput("read_audio", {data, size}, morvale_fuzz::audioExtensions(),
                                   morvale_fuzz::readAudioFile);
}
