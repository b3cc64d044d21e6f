// What every reading target's libFuzzer entry points do around its session:
// the library initialised once with the stand-in host's table and its error
// table fetched once; each input made a file and read by the session; an
// unhealthy outcome printed and trapped, so that the fuzzer keeps the input
// as a crasher.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "tests/fuzz/registered_codes.h"
#include "tests/fuzz/session_checks.h"

namespace morvale_fuzz {

using ReadingSession = SessionReport (*)(const std::string& path, const RegisteredCodes& codes);

// Aborts when the library cannot be initialised; name labels the messages.
void initialiseTarget(const char* name);

// The input as a file named with one of extensions (fuzz_input.h), read by
// session; returns 0 or traps.
int readInput(const char* name, std::span<const uint8_t> input, std::span<const std::string_view> extensions,
              ReadingSession session);

}  // namespace morvale_fuzz
