// What the ffmpeg command-line tools say about a file, to check the library
// against: decoded frames as packed RGB, stream facts and packet durations.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace morvale_test {

// Every frame of the first video stream, decoded by ffmpeg to packed 8-bit
// RGB, frames one after another.
std::vector<uint8_t> referenceRgbFrames(const std::string& path);

struct ProbeFacts {
    uint32_t width = 0;
    uint32_t height = 0;
    double frameRate = 0;  // r_frame_rate
    double duration = 0;   // container duration, seconds
    std::string codecName; // ffprobe's codec name
    long long bitRate = 0; // stream bit rate when known, else 0
};

ProbeFacts probeVideo(const std::string& path);

// Throws std::runtime_error unless the file's first video stream is width x
// height.
void requireVideoSize(const std::string& path, uint32_t width, uint32_t height);

// Durations of the first video stream's packets in decoding order, seconds.
std::vector<double> packetDurations(const std::string& path);

// The key=value fields of ffprobe's compact output (-of compact=p=0), one
// map per line that has any.
std::vector<std::map<std::string, std::string>> compactRecords(const std::string& text);

// Runs a shell command and returns what it printed on standard output.
std::string commandOutput(const std::string& command);

}  // namespace morvale_test
