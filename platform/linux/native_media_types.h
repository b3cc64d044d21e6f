// The native media type of a stream, as the Windows source reports it before
// any output type is set: major type, subtype, and for video frame size
// (width in the high 32 bits, height in the low), frame rate (numerator high,
// denominator low), pixel aspect ratio, interlace mode and the average bit
// rate when the container knows it; for audio channels, sample rate, bytes
// per second, block alignment and, for PCM, bits per sample.
#pragma once

#include "platform/com_ptr.h"
#include "platform/linux/ffmpeg_handles.h"
#include "platform/linux/media_type.h"

namespace MorvalePlatform {

ComPtr<MediaType> nativeVideoType(const AVStream& stream);
ComPtr<MediaType> nativeAudioType(const AVStream& stream);

// The stream's frame rate as Media Foundation states it: the average rate,
// else the base rate; 0/0 when the container knows neither.
AVRational streamFrameRate(const AVStream& stream);

}  // namespace MorvalePlatform
