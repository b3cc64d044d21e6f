// initialiseTarget and readInput; see fuzz_target.h.
#include "tests/fuzz/fuzz_target.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <utility>

#include "host/sr64i4/sr_host.h"
#include "host/stand_in/host_stand_in.h"
#include "platform/linux/test_control.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/support/export_calls.h"

namespace morvale_fuzz {
namespace {

// Process-wide, like the host's own state.
struct TargetState {
    explicit TargetState(RegisteredCodes registered) : codes(std::move(registered)) {}

    RegisteredCodes codes;
    InputFiles files;
    bool everySequence = false;
};

std::optional<TargetState>& targetState() {
    static std::optional<TargetState> state;
    return state;
}

}  // namespace

void initialiseTarget(const char* name) {
    try {
        // Frame threads would be started and stopped on every decoder the
        // library opens, several times per input: far dearer than decoding
        // a tiny file on the calling thread.
        MorvalePlatformTest_setDecoderThreads(1);
        if (KorvelLibrary_initialize(korvel::hostLibraryData()) != 0) {
            std::fprintf(stderr, "%s: the library did not initialise\n", name);
            std::abort();
        }
        targetState().emplace(RegisteredCodes::fetch());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", name, e.what());
        std::abort();
    }
}

void readEverySequence() { targetState()->everySequence = true; }

int readInput(const ReadingTarget& target, std::span<const uint8_t> bytes) {
    TargetState& state = *targetState();
    const MediaInput input = splitInput(bytes, target.extensions, target.sequences);
    const std::string path = state.files.write(input);
    const unsigned first = state.everySequence ? 0 : input.sequence;
    const unsigned end = state.everySequence ? target.sequences : input.sequence + 1;
    for (unsigned sequence = first; sequence < end; ++sequence) {
        const SessionReport report = target.session(path, state.codes, sequence);
        // The stand-ins log calls and count them; forgetting that now keeps
        // an input's allocations balanced, so libFuzzer runs its leak check
        // only when an input really kept memory.
        srhost_reset();
        MorvalePlatformTest_reset();
        if (report.problems.empty()) continue;
        std::fprintf(stderr, "%s: the library is not healthy after call sequence %u on a %s file of %zu bytes\n",
                     target.name, sequence, std::string(input.extension).c_str(), input.content.size());
        for (const auto& call : report.calls) std::fprintf(stderr, "  %s -> %d\n", call.call.c_str(), call.code);
        for (const auto& problem : report.problems) std::fprintf(stderr, "  problem: %s\n", problem.c_str());
        __builtin_trap();
    }
    return 0;
}

}  // namespace morvale_fuzz
