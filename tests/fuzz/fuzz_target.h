// What every reading target's libFuzzer entry points do around its session:
// the library initialised once with the stand-in host's table and its error
// table fetched once; each input made a file and read by the one call
// sequence its last byte picks (fuzz_input.h), or by every sequence in turn
// when replaying; an unhealthy outcome printed and trapped, so that the
// fuzzer keeps the input as a crasher.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "tests/fuzz/registered_codes.h"
#include "tests/fuzz/session_checks.h"

namespace morvale_fuzz {

// Reads the file at path with call sequence number sequence (below the
// target's count).
using ReadingSession = SessionReport (*)(const std::string& path, const RegisteredCodes& codes, unsigned sequence);

struct ReadingTarget {
    const char* name;  // labels the messages
    std::span<const std::string_view> extensions;
    unsigned sequences;
    ReadingSession session;
};

// Aborts when the library cannot be initialised.
void initialiseTarget(const char* name);

// From now on every input is read by each of its target's sequences, one
// after the other (a replay: every sequence a saved input may have found a
// fault in runs on it).
void readEverySequence();

// The input as a file named with one of the target's extensions, read by
// the sequence its last byte picks (or by every one); returns 0 or traps.
int readInput(const ReadingTarget& target, std::span<const uint8_t> input);

}  // namespace morvale_fuzz
