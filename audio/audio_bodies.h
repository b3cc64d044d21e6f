// The bodies of the audio exports, each run by its export in the call frame.
// The reading bodies set path as soon as they have read it, so that a
// failure can remove the path's cache entry.
#pragma once

#include <optional>
#include <string>

#include "bridge/margument_manager.h"
#include "link/link_stream.h"

namespace TravexUtils {

// (path, stream) -> {channels, framesPerChannel} planar signed 16-bit raw
// array of that audio stream (0 and 1: the first).
void readAudioData(MArgumentManager& manager, std::optional<std::string>& path);
// List[path] -> Association of stream number -> that stream's properties.
void readAudioProperties(LinkStream& stream, std::optional<std::string>& path);
// (samples, sampleRate, bitRate, path) -> path, once the AAC file is written.
void writeAudio(MArgumentManager& manager);

}  // namespace TravexUtils
