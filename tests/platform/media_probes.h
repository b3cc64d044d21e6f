// What the ffmpeg command-line tools say about the media fixtures, for the
// platform tests to check the implementation against. The fixtures
// themselves come from the shared registry (tests/support/media_fixtures.h).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/media_fixtures.h"

namespace PlatformTest {

using morvale_test::Fixture;
using morvale_test::fixtureName;
using morvale_test::fixturePath;
using morvale_test::writeFixtureFile;

// Output of a shell command (standard output only); throws if it fails.
std::string runCommand(const std::string& command);

// Streams as ffprobe reports them: key=value per stream, in stream order.
std::vector<std::map<std::string, std::string>> probeStreams(const std::string& path);

// The frames of the first video stream as ffprobe decodes them, in
// presentation order: best-effort time and packet duration in 100 ns
// (duration 0 when ffprobe has none).
struct PacketTiming {
    int64_t time;
    int64_t duration;
};
std::vector<PacketTiming> probeVideoFrameTimes(const std::string& path);

// The file's duration in 100 ns as ffprobe reports it.
int64_t probeDuration100ns(const std::string& path);

}  // namespace PlatformTest
