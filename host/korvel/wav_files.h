// WAV files for korvel's audio results: through FFmpeg's WAV muxer on
// Linux (wav_files.cpp), through the platform's sink writer on Windows
// (wav_files_win.cpp).
#pragma once

#include <cstdint>
#include <string>

namespace korvel {

// Writes planar signed 16-bit samples (channel c's frame f at
// c x frames + f) as a 16-bit PCM WAV file. Throws std::runtime_error.
void writeWav(const std::string& path, const int16_t* planar, int channels, int64_t frames, int sampleRate);

}  // namespace korvel
