// The array ReadAudioData fills is sized from the duration the container
// states, before a single sample is decoded; a few bytes of header can
// claim days of audio. A claim is believed only as far as the file could
// hold it and the machine could store it.
#pragma once

#include <cstdint>
#include <string>

namespace TravexUtils {

// No audio codec the platform decodes gives more than this many bytes of
// 16-bit PCM per byte of file in practice: AAC and MP3 at their lowest bit
// rates stay below 100, FLAC's digital silence in its usual blocks near
// 1200.
inline constexpr uint64_t kMostPcmBytesPerFileByte = 4096;

// Always believed, whatever the file's size: a few minutes of audio.
inline constexpr uint64_t kAlwaysBelievedBytes = uint64_t{16} << 20;

// True when an array of arrayBytes may be asked for: it fits in memoryBytes
// and, above kAlwaysBelievedBytes, the file of fileBytes could decode to it.
// 0 for either size means it is not known and does not bound.
bool claimedSamplesBelievable(uint64_t arrayBytes, uint64_t fileBytes, uint64_t memoryBytes);

// Throws "MemoryError" when sampleCount 16-bit samples of the file at path
// (UTF-8) are not believable.
void checkClaimedSamples(const std::string& path, uint32_t sampleCount);

}  // namespace TravexUtils
