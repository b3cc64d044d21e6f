// Small deterministic media files made with the ffmpeg command-line tool at
// test time, into the build tree. Each is made once; concurrent test
// processes wait for each other through a lock file.
#pragma once

#include <functional>
#include <string>

namespace morvale_test {

// The path of a named fixture, generating it on first use. Throws
// std::runtime_error naming the fixture when ffmpeg fails. Names:
//   h264_320x240.mp4   50 frames at 25 fps, test pattern
//   h264_1080p.mp4     12 frames of 1920x1080 at 30 fps
//   h264_5frames.mp4   5 frames of 160x120 at 10 fps
//   mpeg4_320x240.avi  MPEG-4 part 2, 25 frames
//   vp9_320x240.webm   VP9, 20 frames
//   mjpeg_320x240.avi  Motion JPEG, 15 frames
//   rgb_lossless.avi   uncompressed 24-bit RGB, 64x48, 8 frames
//   rgb_33x17.avi      uncompressed 24-bit RGB at an odd size, 6 frames
//   audio_first.mp4    an AAC stream first, then 10 frames of H.264 video
//   empty.mp4, truncated.mp4, text.mp4   broken inputs
std::string fixture(const std::string& name);

// The path of a fixture that write makes (given the path to write to) on
// first use, under the same lock as the named fixtures above. write throws
// std::runtime_error when it cannot.
std::string madeFixture(const std::string& name, const std::function<void(const std::string& path)>& write);

// A scratch directory for one test, emptied when created.
std::string scratchDirectory(const std::string& name);

}  // namespace morvale_test
