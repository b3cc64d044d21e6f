// The audio reading path as a host drives it on one file, through the
// stand-in host's table and host links, in one of a few call sequences:
// every audio stream's properties over a link, then the samples of stream
// 0, 1 or 2 or none; each export opens and probes the file again, so one
// sequence opens it once or twice. Every sequence ends by dropping the
// file's cache entry. The work per file is bounded by the library itself:
// it refuses an array the file cannot fill (claimed_samples.h).
//
// Every call is checked as it returns (session_checks.h); a read that
// succeeds must give {channels, frames} as the properties of its stream
// said, and a stream number past the file's audio streams must fail.
// Afterwards the process must hold nothing of the file (ProcessHealth).
#pragma once

#include <string>

#include "tests/fuzz/registered_codes.h"
#include "tests/fuzz/session_checks.h"

namespace morvale_fuzz {

enum class AudioSequence : unsigned {
    Properties,   // the properties only
    StreamZero,   // properties, the samples of stream 0 (the first)
    StreamOne,    // properties, the samples of stream 1
    StreamTwo,    // properties, the samples of stream 2
};
inline constexpr unsigned kAudioSequences = 4;

// The library must be initialised with the stand-in host's table.
SessionReport readAudioFile(const std::string& path, const RegisteredCodes& codes, AudioSequence sequence);

}  // namespace morvale_fuzz
