// Clips of a given codec, container, size and pixel format, made with the
// ffmpeg command-line tool from its "testsrc" pattern (which keeps odd
// sizes) into the fixture directory on first use. Every clip's size is
// checked with ffprobe once made, so a clip is the size its name says.
#pragma once

#include <cstdint>
#include <string>

namespace morvale_test {

struct SizedClip {
    std::string codec;        // ffmpeg encoder name: "libx264", "libvpx-vp9", "ffv1", "mjpeg", "rawvideo", ...
    std::string container;    // file extension: "mp4", "mkv", "webm", "avi", "mov"
    uint32_t width = 0;
    uint32_t height = 0;
    std::string pixelFormat;  // "yuv420p", "yuv444p", "yuv420p10le", "yuvj420p", "bgr24", ...
    std::string extra;        // further encoder arguments (tags such as "-colorspace bt709"), may be empty
    int frames = 4;
};

// "libx264_yuv420p_854x480.mp4" and the like; extra arguments add a short
// hash so that clips differing only there do not share a file.
std::string sizedClipName(const SizedClip& clip);

// The clip's path, making it if needed. Throws std::runtime_error when
// ffmpeg fails or the made file's first video stream is not width x height.
std::string sizedClip(const SizedClip& clip);

}  // namespace morvale_test
