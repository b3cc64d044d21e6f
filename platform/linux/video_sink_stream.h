// The video stream of a sink writer. Output type: MF_MT_FRAME_SIZE and
// MF_MT_FRAME_RATE are required; MF_MT_AVG_BITRATE (the encoder's average
// bit rate), MF_MT_PIXEL_ASPECT_RATIO and MF_MT_INTERLACE_MODE (progressive
// or unknown; interlaced modes are refused) are optional. Input type:
// MFVideoFormat_RGB32 (or ARGB32, whose alpha is dropped) of the output's
// frame size: blue, green, red, pad per pixel; rows bottom first unless
// MF_MT_DEFAULT_STRIDE is positive, as on Windows.
//
// Times: the encoder counts in frame periods where the codec needs a
// constant rate (older codecs, MPEG-4 part 2 at a whole rate), in
// milliseconds for MPEG-4 part 2 at other rates and in 1/90000 s otherwise,
// so uneven sample durations survive in MP4 and Matroska; an intra-only
// encoder (MJPEG) counts frames, as FFmpeg's rate control wants the frame
// period, while its packets keep 1/90000 s. A sample time that
// would not advance the stream is moved to the next tick. AVI has one rate:
// its frames follow one period apart whatever their sample times (the file
// keeps every frame and, at the announced rate, the total duration).
#pragma once

#include <memory>

#include "platform/linux/sink_stream.h"

namespace MorvalePlatform {

std::unique_ptr<SinkStream> makeVideoSinkStream(AVFormatContext& container, const CodecChoice& choice);

}  // namespace MorvalePlatform
