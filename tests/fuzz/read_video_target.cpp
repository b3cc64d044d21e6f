// libFuzzer target for the Media Foundation reading path: the input becomes
// a media file (fuzz_input.h) that readVideoFile drives through every
// reading export. Anything unhealthy it reports is printed and trapped, so
// that the fuzzer keeps the input as a crasher.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <utility>

#include "platform/linux/test_control.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/read_video_session.h"
#include "tests/fuzz/registered_codes.h"
#include "tests/video_read/export_calls.h"

namespace {

// Process-wide, like the host's own state: the library is initialised once
// and its error table fetched once.
struct TargetState {
    explicit TargetState(morvale_fuzz::RegisteredCodes registered) : codes(std::move(registered)) {}

    morvale_fuzz::RegisteredCodes codes;
    morvale_fuzz::InputFiles files;
};

std::optional<TargetState>& targetState() {
    static std::optional<TargetState> state;
    return state;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    try {
        // Frame threads would be started and stopped on every decoder the
        // library opens, several times per input: far dearer than decoding
        // a tiny file on the calling thread.
        MorvalePlatformTest_setDecoderThreads(1);
        if (KorvelLibrary_initialize(korvel::hostLibraryData()) != 0) {
            std::fputs("read_video: the library did not initialise\n", stderr);
            std::abort();
        }
        targetState().emplace(morvale_fuzz::RegisteredCodes::fetch());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "read_video: %s\n", e.what());
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TargetState& state = *targetState();
    const morvale_fuzz::MediaInput input = morvale_fuzz::splitInput({data, size});
    const std::string path = state.files.write(input);
    const morvale_fuzz::SessionReport report = morvale_fuzz::readVideoFile(path, state.codes);
    if (report.problems.empty()) {
        // The stand-ins log calls and count them; forgetting that now keeps
        // an input's allocations balanced, so libFuzzer runs its leak check
        // only when an input really kept memory.
        srhost_reset();
        MorvalePlatformTest_reset();
        return 0;
    }
    std::fprintf(stderr, "read_video: the library is not healthy after a %s file of %zu bytes\n",
                 std::string(input.extension).c_str(), input.content.size());
    for (const auto& call : report.calls) std::fprintf(stderr, "  %s -> %d\n", call.call.c_str(), call.code);
    for (const auto& problem : report.problems) std::fprintf(stderr, "  problem: %s\n", problem.c_str());
    __builtin_trap();
}
