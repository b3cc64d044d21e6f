// Media as users have it, for the tests that read real-world files: many
// containers and codecs, frame sizes that are not multiples of 16, portrait
// frames, audio beside the video, damaged copies, and a live recording that
// states no duration. Made with the ffmpeg command-line tool on first use,
// like the named fixtures (media_fixtures.h); the tools' own view of a file
// comes with them.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace morvale_test {

// One clip of a moving test pattern, 2 s at 25 fps (50 frames).
struct Clip {
    std::string name;       // for test names
    std::string file;       // the extension picks the container
    int width = 0;          // frame size as encoded
    int height = 0;
    std::string encoding;   // ffmpeg's video (and audio) encoding arguments
    static constexpr int kFrames = 50;
};

// Test names show the clip's name.
inline void PrintTo(const Clip& clip, std::ostream* out) { *out << clip.name; }

// MPEG transport streams (H.264 with and without B-frames, MPEG-2), M2TS and
// MTS, MPEG program streams (.mpg, .vob), MP4, fragmented MP4, MOV, MKV,
// WebM (one starting at 7 s), FLV, MJPEG in AVI, WMV.
const std::vector<Clip>& containerClips();

// The clip's path, made on first use.
std::string clipPath(const Clip& clip);

// A WebM written as a browser records live (VP8 and Opus, 318x238, 50
// frames): the container states no duration.
std::string liveWebm();

// Every frame of the first video stream as ffmpeg decodes it, none dropped
// or repeated for timing, in the given pixel format ("bgra", "rgb24"), one
// after another.
std::vector<uint8_t> decodedFrames(const std::string& path, const std::string& pixelFormat);

// H.264 in MP4 (318x238, 50 frames) whose B-pictures are never references:
// damage to one of them reaches no other frame.
const Clip& unreferencedBPicturesClip();

// 20 frames of H.264 with B-frames (320x240, a group of 12) in MP4: small
// enough that 4 KB of damage spans the second key frame.
std::string twentyFramesH264();

// Damaged copies of a file, made once under the given name.
//
// The data of the given video packets (indices in file order) zeroed; the
// container's framing stays, so the packets are still found.
std::string withPacketsZeroed(const std::string& source, const std::string& name, const std::vector<size_t>& packets);
// count bytes of media data zeroed, from offset bytes after the place of
// the first video packet.
std::string withMediaBytesZeroed(const std::string& source, const std::string& name, int64_t offset, int64_t count);

// Indices (in file order) of the first video stream's packets that hold
// B-pictures.
std::vector<size_t> bPicturePackets(const std::string& path);

}  // namespace morvale_test
