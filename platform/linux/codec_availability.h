// Whether an FFmpeg encoder or decoder can be used here: present in the
// FFmpeg build and able to open on a small test configuration (a library
// such as libx265 may be linked in and still fail to start). The answer is
// found once per codec and kept for the process. Tests can make a named
// codec missing (MorvalePlatformTest_setCodecMissing), which takes precedence.
#pragma once

#include "platform/linux/ffmpeg_handles.h"

namespace MorvalePlatform {

// The encoder, or null when it is missing or does not open.
const AVCodec* usableEncoder(const char* name);
// The decoder, or null when it is missing or does not open.
const AVCodec* usableDecoder(const char* name);

// Whether a test made the named codec missing.
bool codecMadeMissing(const char* name);

// Sets the named codec missing or back (test control).
void setCodecMissing(const char* name, bool missing);
// Brings back every codec a test made missing (test control's reset).
void clearMissingCodecs();

}  // namespace MorvalePlatform
