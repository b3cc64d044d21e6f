// Fixture generation and ffprobe/ffmpeg queries; see media_fixtures.h.
#include "media_fixtures.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "tests/support/reference_media.h"

namespace PlatformTest {

namespace {

namespace fs = std::filesystem;

struct Recipe {
    const char* file;
    std::string arguments;  // ffmpeg arguments between the inputs' start and the output
};

const char* const kQuiet = "ffmpeg -nostdin -hide_banner -loglevel error -y ";

Recipe recipeOf(Fixture fixture) {
    switch (fixture) {
        case Fixture::H264Small:
            return {"h264_320x240.mp4",
                    "-f lavfi -i testsrc=size=320x240:rate=25 -frames:v 50 -c:v libx264 -pix_fmt yuv420p -g 12 -bf 2"};
        case Fixture::H264FullHd:
            return {"h264_1920x1080.mp4",
                    "-f lavfi -i testsrc2=size=1920x1080:rate=25 -frames:v 10 -c:v libx264 -preset ultrafast "
                    "-pix_fmt yuv420p"};
        case Fixture::H264FiveFrames:
            return {"h264_five_frames.mp4",
                    "-f lavfi -i testsrc=size=160x120:rate=25 -frames:v 5 -c:v libx264 -pix_fmt yuv420p -bf 2"};
        case Fixture::Mpeg4Avi:
            return {"mpeg4.avi", "-f lavfi -i testsrc=size=320x240:rate=25 -frames:v 25 -c:v mpeg4 -q:v 3"};
        case Fixture::Vp9Webm:
            return {"vp9.webm",
                    "-f lavfi -i testsrc=size=160x120:rate=25 -frames:v 25 -c:v libvpx-vp9 -deadline realtime "
                    "-cpu-used 8 -b:v 300k"};
        case Fixture::MjpegAvi:
            return {"mjpeg.avi", "-f lavfi -i testsrc=size=320x240:rate=25 -frames:v 25 -c:v mjpeg -q:v 3"};
        case Fixture::RgbAvi:
            return {"rgb24.avi",
                    "-f lavfi -i testsrc=size=64x48:rate=25 -frames:v 10 -c:v rawvideo -pix_fmt bgr24"};
        case Fixture::RgbOddAvi:
            return {"rgb24_33x17.avi",
                    "-f lavfi -i testsrc=size=33x17:rate=25 -frames:v 7 -c:v rawvideo -pix_fmt bgr24"};
        case Fixture::AudioFirstMp4:
            return {"audio_first.mp4",
                    "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 "
                    "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -map 0:a -map 1:v -c:a aac -b:a 128k "
                    "-c:v libx264 -pix_fmt yuv420p"};
        case Fixture::H264FastStart:
            return {"h264_faststart.mp4",
                    "-f lavfi -i testsrc=size=320x240:rate=25 -frames:v 50 -c:v libx264 -pix_fmt yuv420p -g 12 -bf 2 "
                    "-movflags +faststart"};
        case Fixture::H264Default:
            return {"h264_default.mp4",
                    "-f lavfi -i testsrc2=size=320x240:rate=25 -frames:v 60 -c:v libx264 -pix_fmt yuv420p"};
        case Fixture::H264OpenGop:
            return {"h264_open_gop.mp4",
                    "-f lavfi -i testsrc2=size=320x240:rate=25 -frames:v 100 -c:v libx264 -pix_fmt yuv420p -g 20 "
                    "-keyint_min 20 -sc_threshold 0 -bf 3 -x264-params open-gop=1"};
        case Fixture::H264Long:
            return {"h264_long.mp4",
                    "-f lavfi -i testsrc=size=160x120:rate=25 -frames:v 1500 -c:v libx264 -preset superfast "
                    "-pix_fmt yuv420p -g 25 -keyint_min 25 -sc_threshold 0"};
        case Fixture::H264Avi:
            return {"h264_bframes.avi",
                    "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 30 -c:v libx264 -pix_fmt yuv420p -bf 2"};
        case Fixture::H264Cut:
            // Stream copy from 1.3 s: the copy starts at the key frame
            // before, and an edit list hides the frames up to 1.3 s.
            return {"h264_cut.mp4", "-ss 1.3 -i '" + fixturePath(Fixture::H264OpenGop) + "' -c copy"};
        case Fixture::H264OneKeyFrame:
            return {"h264_one_key_frame.mp4",
                    "-f lavfi -i testsrc2=size=64x48:rate=25 -frames:v 1300 -c:v libx264 -preset superfast "
                    "-pix_fmt yuv420p -g 100000 -keyint_min 100000 -sc_threshold 0"};
    }
    throw std::logic_error("unknown fixture");
}

fs::path fixtureDirectory() {
    fs::path directory(MORVALE_FIXTURE_DIR);
    fs::create_directories(directory);
    return directory;
}

// Holds an exclusive lock on the fixture directory's lock file.
class FixtureLock {
public:
    FixtureLock() : descriptor_(::open((fixtureDirectory() / ".platform.lock").c_str(), O_CREAT | O_RDWR, 0644)) {
        if (descriptor_ >= 0) ::flock(descriptor_, LOCK_EX);
    }
    ~FixtureLock() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    FixtureLock(const FixtureLock&) = delete;
    FixtureLock& operator=(const FixtureLock&) = delete;

private:
    int descriptor_;
};

struct PipeCloser {
    void operator()(FILE* pipe) const { ::pclose(pipe); }
};

}  // namespace

std::string fixtureName(Fixture fixture) {
    switch (fixture) {
        case Fixture::H264Small: return "H264Small";
        case Fixture::H264FullHd: return "H264FullHd";
        case Fixture::H264FiveFrames: return "H264FiveFrames";
        case Fixture::Mpeg4Avi: return "Mpeg4Avi";
        case Fixture::Vp9Webm: return "Vp9Webm";
        case Fixture::MjpegAvi: return "MjpegAvi";
        case Fixture::RgbAvi: return "RgbAvi";
        case Fixture::RgbOddAvi: return "RgbOddAvi";
        case Fixture::AudioFirstMp4: return "AudioFirstMp4";
        case Fixture::H264FastStart: return "H264FastStart";
        case Fixture::H264Default: return "H264Default";
        case Fixture::H264OpenGop: return "H264OpenGop";
        case Fixture::H264Long: return "H264Long";
        case Fixture::H264Avi: return "H264Avi";
        case Fixture::H264Cut: return "H264Cut";
        case Fixture::H264OneKeyFrame: return "H264OneKeyFrame";
    }
    return "Unknown";
}

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

std::string fixturePath(Fixture fixture) {
    const Recipe recipe = recipeOf(fixture);
    const fs::path path = fixtureDirectory() / recipe.file;
    if (fs::exists(path)) return path.string();
    FixtureLock lock;
    if (fs::exists(path)) return path.string();
    // The extension chooses the container, so the temporary name keeps it.
    const fs::path partial = fixtureDirectory() / (std::string("partial-") + recipe.file);
    runCommand(std::string(kQuiet) + recipe.arguments + " '" + partial.string() + "'");
    fs::rename(partial, path);
    return path.string();
}

std::string writeFixtureFile(const std::string& name, const std::string& bytes) {
    const fs::path path = fixtureDirectory() / name;
    FixtureLock lock;
    const fs::path partial = fixtureDirectory() / ("partial-" + name);
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    fs::rename(partial, path);
    return path.string();
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

std::vector<PacketTiming> probeVideoPacketTimes(const std::string& path) {
    const auto timeBase = parseRational(runCommand(
        "ffprobe -v error -select_streams v:0 -show_entries stream=time_base -of csv=p=0 '" + path + "'"));
    const std::string output = runCommand(
        "ffprobe -v error -select_streams v:0 -show_entries packet=pts,duration -of csv=p=0 '" + path + "'");
    std::vector<PacketTiming> packets;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        const auto comma = line.find(',');
        const std::string duration = line.substr(comma + 1);
        packets.push_back({to100ns(std::stoll(line.substr(0, comma)), timeBase),
                           duration == "N/A" ? 0 : to100ns(std::stoll(duration), timeBase)});
    }
    std::sort(packets.begin(), packets.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
    return packets;
}

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

std::vector<PacketPlace> probeVideoPacketPlaces(const std::string& path) {
    const std::string output = runCommand(
        "ffprobe -v error -select_streams v:0 -show_entries packet=pos,size -of compact=p=0 '" + path + "'");
    std::vector<PacketPlace> places;
    for (auto& fields : morvale_test::compactRecords(output)) {
        if (!fields.count("pos") || !fields.count("size")) continue;
        places.push_back({std::stoll(fields["pos"]), std::stoll(fields["size"])});
    }
    return places;
}

int64_t probeDuration100ns(const std::string& path) {
    const std::string output =
        runCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + path + "'");
    return std::llround(std::stod(output) * 1e7);
}

std::vector<uint8_t> ffmpegBgraFrames(const std::string& path) {
    const std::string output =
        runCommand(std::string(kQuiet) + "-i '" + path + "' -map 0:v:0 -f rawvideo -pix_fmt bgra -");
    return std::vector<uint8_t>(output.begin(), output.end());
}

}  // namespace PlatformTest
