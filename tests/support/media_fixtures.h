// Small deterministic media files made with the ffmpeg command-line tool at
// test time, into the build tree: the one registry every test suite uses.
// Each file is made once. Test processes run in parallel, so making a file
// holds an exclusive lock on the fixture directory, and the file is written
// under a temporary name and renamed into place: no process ever sees half
// a file.
#pragma once

#include <functional>
#include <string>

namespace morvale_test {

enum class Fixture {
    H264Small,        // 320x240 H.264 in MP4, 25 fps, 50 frames, key frame every 12, B-frames
    H264FullHd,       // 1920x1080 H.264 in MP4, 25 fps, 10 frames
    H264FiveFrames,   // 160x120 H.264 in MP4, 25 fps, 5 frames, B-frames
    Mpeg4Avi,         // 320x240 MPEG-4 part 2 in AVI, 25 fps, 25 frames
    Vp9Webm,          // 160x120 VP9 in WebM, 25 fps, 25 frames
    MjpegAvi,         // 320x240 Motion JPEG in AVI, 25 fps, 25 frames
    RgbAvi,           // 64x48 raw BGR24 in AVI (lossless), 25 fps, 10 frames
    RgbOddAvi,        // 33x17 raw BGR24 in AVI (lossless), 25 fps, 7 frames
    AudioFirstMp4,    // AAC audio as stream 0, then 160x120 H.264 video, 2 s
    H264FastStart,    // as H264Small, with the index before the data
    H264Default,      // 320x240 moving H.264 in MP4, libx264's defaults (B-frames, one key frame), 60 frames
    H264OpenGop,      // 320x240 moving H.264 in MP4, open groups of 20 pictures, 3 B-frames, 100 frames
    H264Long,         // 160x120 H.264 in MP4, key frame every 25 frames, B-frames, 1500 frames (60 s)
    H264Avi,          // 160x120 H.264 with B-frames in AVI (packets without presentation times), 30 frames
    H264Cut,          // H264OpenGop copied from 1.3 s: leading packets the container discards, 67 frames
    H264OneKeyFrame,  // 64x48 H.264 in MP4, B-frames, a single key frame, 1300 frames
    RgbTinyAvi,       // 5x4 raw BGR24 in AVI (lossless; 15-byte rows padded to 16 in bitmaps), 25 fps, 3 frames
    H264VfrMkv,       // 160x120 H.264 in Matroska, variable frame rate (gaps of 2, 3, 4, ... frame periods), 20 frames
    AudioOnlyM4a,     // AAC audio alone in MP4, 1 s
    Empty,            // an empty file named .mp4
    Truncated,        // the first third of H264Small
    Text,             // a line of text named .mp4
};

// A short name for test names ("H264Small").
std::string fixtureName(Fixture fixture);

// The fixture's path, making it on first use. Throws std::runtime_error
// naming the fixture when ffmpeg fails. The file name carries a hash of the
// recipe, so a changed recipe never reuses a file made by the old one.
std::string fixturePath(Fixture fixture);

// The path of a file in the fixture directory that write makes on first
// use, under the same lock as the fixtures above. write is given the
// temporary path to write (it has name's extension); the file is renamed to
// name once write returns. write throws std::runtime_error when it cannot.
// write may itself ask for other fixtures.
std::string madeFixture(const std::string& name, const std::function<void(const std::string& path)>& write);

// The bytes of a file; empty when it cannot be read.
std::string fileBytes(const std::string& path);

// Writes exactly these bytes to path; throws std::runtime_error when it cannot.
void writeFileBytes(const std::string& path, const std::string& bytes);

// A file in the fixture directory holding exactly these bytes, written
// again on every call.
std::string writeFixtureFile(const std::string& name, const std::string& bytes);

// A scratch directory for one test, emptied when created.
std::string scratchDirectory(const std::string& name);

}  // namespace morvale_test
