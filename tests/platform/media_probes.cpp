// ffprobe and ffmpeg queries; see media_probes.h.
#include "media_probes.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "tests/support/reference_media.h"

namespace PlatformTest {

std::string runCommand(const std::string& command) {
    FILE* raw = ::popen(command.c_str(), "r");
    if (!raw) throw std::runtime_error("cannot run: " + command);
    std::string output;
    std::array<char, 65536> chunk;
    size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), raw)) > 0) output.append(chunk.data(), got);
    const int status = ::pclose(raw);
    if (status != 0) {
        ADD_FAILURE() << "command failed: " << command;
        throw std::runtime_error("command failed: " + command);
    }
    return output;
}

std::vector<std::map<std::string, std::string>> probeStreams(const std::string& path) {
    const std::string output = runCommand(
        "ffprobe -v error -show_entries "
        "stream=codec_type,codec_name,width,height,avg_frame_rate,r_frame_rate,bit_rate,sample_rate,channels "
        "-of compact=p=0 '" + path + "'");
    return morvale_test::compactRecords(output);
}

namespace {

// num/den of "num/den".
std::pair<int64_t, int64_t> parseRational(const std::string& text) {
    const auto slash = text.find('/');
    return {std::stoll(text.substr(0, slash)), std::stoll(text.substr(slash + 1))};
}

// value x num/den seconds in 100 ns, rounded to nearest as FFmpeg does.
int64_t to100ns(int64_t value, std::pair<int64_t, int64_t> timeBase) {
    // Fixture times are short: the product fits in 64 bits.
    const int64_t scaled = value * 10000000 * timeBase.first;
    const int64_t half = timeBase.second / 2;
    return scaled >= 0 ? (scaled + half) / timeBase.second : (scaled - half) / timeBase.second;
}

}  // namespace

std::vector<PacketTiming> probeVideoFrameTimes(const std::string& path) {
    const auto timeBase = parseRational(runCommand(
        "ffprobe -v error -select_streams v:0 -show_entries stream=time_base -of csv=p=0 '" + path + "'"));
    const std::string output = runCommand(
        "ffprobe -v error -select_streams v:0 -show_entries frame=best_effort_timestamp,pkt_duration "
        "-of compact=p=0 '" + path + "'");
    std::vector<PacketTiming> frames;
    for (auto& fields : morvale_test::compactRecords(output)) {
        // Lines of side data carry neither field.
        if (!fields.count("best_effort_timestamp")) continue;
        const std::string& time = fields["best_effort_timestamp"];
        const std::string& duration = fields["pkt_duration"];
        frames.push_back({time == "N/A" ? INT64_MIN : to100ns(std::stoll(time), timeBase),
                          duration.empty() || duration == "N/A" ? 0 : to100ns(std::stoll(duration), timeBase)});
    }
    return frames;
}

int64_t probeDuration100ns(const std::string& path) {
    const std::string output =
        runCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + path + "'");
    return std::llround(std::stod(output) * 1e7);
}

}  // namespace PlatformTest
