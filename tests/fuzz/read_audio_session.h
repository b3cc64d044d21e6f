// The audio reading path as a host drives it on one file, through the
// stand-in host's table and host links: every audio stream's properties
// over a link, the samples of stream 0, 1 and 2, and the cache entry
// dropped at the end. The work per file is bounded by the library itself:
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

// The library must be initialised with the stand-in host's table.
SessionReport readAudioFile(const std::string& path, const RegisteredCodes& codes);

}  // namespace morvale_fuzz
