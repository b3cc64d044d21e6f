// The presentation duration a media source reports (MF_PD_DURATION) for an
// opened file, in AV_TIME_BASE units: the container's; else the longest
// stream's; else, for a file that states none (a browser's live recording,
// say), from its start to where its last audio or video packet ends, found
// without decoding: a second demuxer on the same file reads its tail (all of
// it when the tail shows no timed packet). None when no packet is timed.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/linux/ffmpeg_handles.h"

namespace MorvalePlatform {

std::optional<int64_t> presentationDuration(const AVFormatContext& format);

}  // namespace MorvalePlatform
