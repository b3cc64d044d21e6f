// The bodies of the video writing exports; each export runs one of them in
// its call frame. Frame-by-frame writing goes through the global writer,
// whole-video writing through a writer local to the call.
#pragma once

#include "bridge/margument_manager.h"

namespace TravexUtils {

// Limits of what the writer accepts.
inline constexpr uint32_t kMaxWriterWidth = 4096;
inline constexpr uint32_t kMaxWriterHeight = 2304;
inline constexpr mint kMaxBitRate = 288000000;
inline constexpr mint kMaxFrameRate = 172;

// (path, width, height, bit rate, frame rate, codec): opens the global
// writer, which exists from the moment the path is read; the same path
// again re-runs the checks and the set-up on it, another path fails.
void initVideoWriter(MArgumentManager& manager);
// (frame): one RGB or RGBA frame of the global writer's size.
void writeNextVideoFrame(MArgumentManager& manager);
// True after finalizing and removing the global writer, False when there
// was none.
void finalizeVideoWriter(MArgumentManager& manager);
// (path, video, bit rate, frame rate, durations, codec): the whole video
// in one call; the result is the path.
void writeVideo(MArgumentManager& manager);

}  // namespace TravexUtils
