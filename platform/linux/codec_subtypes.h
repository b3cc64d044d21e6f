// The Media Foundation subtype of a stream as Windows reports it for the
// stream's native (compressed) type: the codec's FourCC GUID for video
// (H264, HEVC, MP4V for MPEG-4 part 2, MJPG, VP80, VP90, ...), the uncompressed
// RGB formats for raw RGB, the WAVE_FORMAT GUID for audio. A codec Media
// Foundation has no name for gets the GUID of the container's FourCC, as the
// Windows AVI and Matroska sources do.
#pragma once

#include "platform/linux/ffmpeg_handles.h"
#include "platform/media_foundation.h"

namespace MorvalePlatform {

GUID videoSubtypeOf(const AVCodecParameters& codec);
GUID audioSubtypeOf(const AVCodecParameters& codec);

// Whether every frame of the codec decodes on its own (intra-only codecs and
// raw video), which Media Foundation states with MF_MT_ALL_SAMPLES_INDEPENDENT.
bool allSamplesIndependent(const AVCodecParameters& codec);

}  // namespace MorvalePlatform
