// What is known about one video file. Both readers begin with this record;
// the video cache keeps it between calls so that properties, the frame count
// and the frame durations are worked out once per file and reader kind.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace TravexUtils {

struct VideoInfo {
    explicit VideoInfo(std::string filePath) : path(std::move(filePath)) {}

    uint32_t width = 0;        // of the frames handed out, in pixels
    uint32_t height = 0;
    double frameRate = 0;      // frames per second
    uint32_t frameCount = 0;   // 0 until the frames have been counted
    uint32_t bitRate = 0;      // bits per second as the file states it; 0 when not given
    double duration = 0;       // seconds
    std::string path;          // exactly as the host passed it (UTF-8)
    std::string encodingName;  // from the codec name tables; empty when unknown
    std::vector<double> frameDurations;  // seconds per frame in decoding order
};

}  // namespace TravexUtils
