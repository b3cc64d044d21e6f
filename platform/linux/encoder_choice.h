// Which FFmpeg codec stands for a Media Foundation subtype when writing: the
// encoder the sink writer opens for an output subtype, and the decoder that
// the transform enumeration reports for an input subtype. A subtype FFmpeg
// can decode but not encode (WMV3, WVC1) has a decoder and no encoder.
#pragma once

#include <span>

#include "platform/linux/ffmpeg_handles.h"
#include "platform/media_foundation.h"

namespace MorvalePlatform {

struct EncoderOption {
    const char* key;
    const char* value;
};

struct CodecChoice {
    GUID subtype;
    AVMediaType kind;
    AVCodecID codec;
    const char* encoder;  // FFmpeg encoder name, null when there is none
    const char* decoder;  // FFmpeg decoder name, null when there is none
    // Encoders whose time base must be the frame period (older codecs
    // store it in the stream and bound it; MPEG-4 part 2 takes any base
    // below 2^16 ticks a second).
    bool frameRateTimeBase;
    // Raw video only: the pixel layout written; every other encoder takes
    // its preferred one.
    AVPixelFormat rawFormat;
    // Options for the encoder: speed settings and silence for libraries that
    // write their own log.
    std::span<const EncoderOption> options;
};

// The row for a subtype, or null.
const CodecChoice* codecChoiceFor(const GUID& subtype);

// Every row, in table order.
std::span<const CodecChoice> codecChoices();

}  // namespace MorvalePlatform
