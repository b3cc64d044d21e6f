// What korvel does around the audio exports: a raw array argument is an
// audio file decoded by the library's own ReadAudioData (its first audio
// stream), a raw array result is written as a WAV file (--out) or hashed
// (--checksum), at the sample rate the library reports for that stream.
#pragma once

#include <string>

#include "bridge/korvel_library.h"
#include "host/korvel/call_runner.h"
#include "host/korvel/loaded_library.h"

namespace korvel {

// The first audio stream of the file as a raw array the caller owns.
// Throws std::runtime_error with the library's error when it fails.
MRawArray decodeAudioArgument(const LoadedLibrary& library, const std::string& path);

// The sample rate of audio stream `stream` (0 and 1: the first) of the file,
// from ReadAudioProperties; 0 when the library does not tell it.
int audioSampleRate(const LoadedLibrary& library, const std::string& path, long long stream);

// {"dimensions":[...]} with "checksum" or "out" (and "sampleRate") as asked.
std::string renderRawArray(MRawArray samples, const CallOptions& options);

}  // namespace korvel
