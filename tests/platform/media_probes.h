// Media fixtures for the platform tests, generated with the ffmpeg
// command-line tool into MORVALE_FIXTURE_DIR on first use. Generation is
// serialised across test processes with a file lock and publishes each file
// by renaming, so a process never sees a half-written fixture.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace PlatformTest {

// Every fixture by name; see media_fixtures.cpp for the recipes.
enum class Fixture {
    H264Small,      // 320x240 H.264 in MP4, 25 fps, 50 frames, B-frames
    H264FullHd,     // 1920x1080 H.264 in MP4, 25 fps, 10 frames
    H264FiveFrames, // 160x120 H.264 in MP4, 5 frames
    Mpeg4Avi,       // 320x240 MPEG-4 part 2 in AVI, 25 fps, 25 frames
    Vp9Webm,        // 160x120 VP9 in WebM, 25 fps, 25 frames
    MjpegAvi,       // 320x240 MJPEG in AVI, 25 fps, 25 frames
    RgbAvi,         // 64x48 raw BGR24 in AVI (lossless), 25 fps, 10 frames
    RgbOddAvi,      // 33x17 raw BGR24 in AVI (lossless), 25 fps, 7 frames
    AudioFirstMp4,  // AAC audio as stream 0, then 160x120 H.264 video, 2 s
    H264FastStart,  // as H264Small, with the index before the data
    H264Default,    // 320x240 moving H.264 in MP4, libx264's defaults (B-frames, one key frame), 60 frames
    H264OpenGop,    // 320x240 moving H.264 in MP4, open groups of 20 pictures, 3 B-frames, 100 frames
    H264Long,       // 160x120 H.264 in MP4, key frame every 25 frames, B-frames, 1500 frames (60 s)
    H264Avi,        // 160x120 H.264 with B-frames in AVI (packets without presentation times), 30 frames
    H264Cut,        // H264OpenGop copied from 1.3 s: leading packets the container discards, 67 frames
    H264OneKeyFrame,  // 64x48 H.264 in MP4, B-frames, a single key frame, 1300 frames
};

// A short name for test names ("H264Small").
std::string fixtureName(Fixture fixture);

// The fixture's path, generating it if needed. Fails the test (and throws)
// when ffmpeg fails.
std::string fixturePath(Fixture fixture);

// A file in the fixture directory holding exactly these bytes.
std::string writeFixtureFile(const std::string& name, const std::string& bytes);

// Output of a shell command (standard output only); throws if it fails.
std::string runCommand(const std::string& command);

// Streams as ffprobe reports them: key=value per stream, in stream order.
std::vector<std::map<std::string, std::string>> probeStreams(const std::string& path);

// The packets of the first video stream: presentation time and duration in
// 100 ns, sorted by presentation time.
struct PacketTiming {
    int64_t time;
    int64_t duration;
};
std::vector<PacketTiming> probeVideoPacketTimes(const std::string& path);

// The frames of the first video stream as ffprobe decodes them, in
// presentation order: best-effort time and packet duration in 100 ns
// (duration 0 when ffprobe has none).
std::vector<PacketTiming> probeVideoFrameTimes(const std::string& path);

// Where the first video stream's packets lie in the file, in file order.
struct PacketPlace {
    int64_t position;
    int64_t size;
};
std::vector<PacketPlace> probeVideoPacketPlaces(const std::string& path);

// The file's duration in 100 ns as ffprobe reports it.
int64_t probeDuration100ns(const std::string& path);

// Every frame of the first video stream decoded by the ffmpeg tool as BGRA,
// frame after frame.
std::vector<uint8_t> ffmpegBgraFrames(const std::string& path);

}  // namespace PlatformTest
