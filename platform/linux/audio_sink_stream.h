// The audio stream of a sink writer. Output type: MF_MT_AUDIO_SAMPLES_PER_SECOND
// and MF_MT_AUDIO_NUM_CHANNELS (1 to 8) are required; MF_MT_AUDIO_AVG_BYTES_PER_SECOND
// sets the encoder's bit rate; MF_MT_AUDIO_BITS_PER_SAMPLE, when given, must
// be 16. Input type: MFAudioFormat_PCM, 16 bits (when given), the output's
// rate and channel count; samples interleaved.
//
// Times: the stream starts at the first sample's time and then counts the
// audio frames it was given, so the small overlaps and gaps that rounded
// sample times leave between chunks neither drop nor repeat audio.
#pragma once

#include <memory>

#include "platform/linux/sink_stream.h"

namespace MorvalePlatform {

std::unique_ptr<SinkStream> makeAudioSinkStream(AVFormatContext& container, const CodecChoice& choice);

}  // namespace MorvalePlatform
