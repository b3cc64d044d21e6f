// The container a sink writer writes, chosen from the output path's
// extension (compared without case) as Windows chooses its media sink:
//
//   mp4, m4v        MPEG-4 ("mp4")       avi         AVI ("avi")
//   mov             QuickTime ("mov")    mkv         Matroska ("matroska")
//   3gp, 3gpp       3GPP ("3gp")         wmv, wma, asf  ASF ("asf")
//   3g2, 3gp2       3GPP2 ("3g2")        mp3         MP3 ("mp3")
//   m4a, m4b        MPEG-4 audio ("ipod")  aac, adts ADTS ("adts")
//   wav             WAVE ("wav")         flac, ac3, amr  raw streams
//
// Whether the container can carry a codec is FFmpeg's answer
// (avformat_query_codec), except that the single-stream audio files (mp3,
// aac/adts, wav, flac, ac3, amr) take only their own codec (PCM for WAVE).
#pragma once

#include <string>

#include "platform/linux/ffmpeg_handles.h"

namespace MorvalePlatform {

// The muxer for the path, or null for a missing or unknown extension.
const AVOutputFormat* containerForPath(const std::string& path);

// Whether the container can store the codec. Muxers that keep no list of
// codecs accept any.
bool containerCarries(const AVOutputFormat& container, AVCodecID codec);

}  // namespace MorvalePlatform
