// Files the writer makes, read back: through the library's own reader
// (count, size, rate, duration, pixels within a bound for the codec) and
// through ffprobe; output paths that cannot be written; the encoder listing.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <ostream>
#include <sstream>

#include "host/stand_in/host_stand_in.h"
#include "platform/linux/test_control.h"
#include "tests/support/reference_media.h"
#include "tests/video_write/writer_test_support.h"
#include "video/read/frame_layout.h"
#include "video/read/mf_video_reader.h"
#include "video/write/global_writer.h"

using namespace TravexUtils;
using korvel::HostArguments;
using korvel::ResultKind;
using morvale_test::WholeVideo;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

struct ReadBack {
    VideoInfo info{""};
    std::vector<uint8_t> frames;  // every frame, packed RGB
};

ReadBack readBack(const std::string& path) {
    MFVideoReader reader(path);
    reader.open();
    reader.loadProperties();
    reader.countFrames();
    ReadBack result{reader.info, {}};
    const uint32_t count = reader.info.frameCount;
    FrameRequest request;
    for (uint32_t i = 0; i < count; ++i) request.insert(i, i);
    result.frames.resize(count * FrameLayout::frameBytes(reader.info.width, reader.info.height));
    if (count > 0) reader.readFrames(request, false, result.frames.data(), static_cast<int32_t>(count) - 1, false);
    reader.releaseSourceReader();
    return result;
}

enum class Durations {
    Kept,  // every frame's, the last one's included
    Mean,  // the container has one fixed rate (AVI): every frame lasts the mean
};

struct Codec {
    const char* name;
    const char* extension;
    double minimumPsnr;  // dB over every frame, 160x120 at 4 Mb/s and 25 fps or 1 Mb/s and 67 fps
    // Written with one duration per frame, read back.
    Durations durations;
};

// One row per way the writer times frames: an encoder that keeps the
// frames' own times (H.264, as HEVC and VP9 do), ones that count frames at
// the mean period (MPEG-4 part 2 with its 16-bit time base, and Motion JPEG
// as every intra-only codec), and AVI's one rate; every encoder's pictures
// are the platform's tests. At 4 Mb/s for 160x120 every lossy codec keeps
// this picture near 41 dB, the bound its 4:2:0 chroma sets; the bounds
// leave 3 dB of room (MPEG-4 part 2 runs a dB lower). Uncompressed RGB
// comes back exactly.
const Codec kCodecs[] = {
    {"H264", "mp4", 38, Durations::Kept},
    {"MP4V", "mp4", 36, Durations::Kept},
    {"MJPG", "mp4", 38, Durations::Kept},
    {"MJPG", "avi", 38, Durations::Mean},
    {"Uncompressed", "avi", std::numeric_limits<double>::infinity(), Durations::Mean},
};

void PrintTo(const Codec& codec, std::ostream* out) { *out << codec.name << " in " << codec.extension; }

class RoundTrip : public morvale_test::WriterTest, public ::testing::WithParamInterface<Codec> {
protected:
    // Whether FFmpeg here has an encoder for the codec that opens: one
    // small frame at a fixed rate.
    bool encoderOpens(const Codec& codec) {
        WholeVideo probe;
        probe.path = output(std::string("probe.") + codec.extension);
        probe.frames = 1;
        probe.codec = codec.name;
        return morvale_test::writeWholeVideo(probe) != morvale_test::codeOf("MFMediaTypeSetError");
    }
};

TEST_P(RoundTrip, ReadsBackAsWritten) {
    const Codec& codec = GetParam();
    WholeVideo video;
    video.path = output(std::string("clip.") + codec.extension);
    video.frames = 30;
    video.width = 160;
    video.height = 120;
    video.bitRate = 4000000;
    video.codec = codec.name;
    if (!encoderOpens(codec)) GTEST_SKIP() << "no encoder opens for " << codec.name;
    ASSERT_EQ(morvale_test::writeWholeVideo(video), 0);

    const ReadBack back = readBack(video.path);
    EXPECT_EQ(back.info.frameCount, 30u);
    EXPECT_EQ(back.info.width, 160u);
    EXPECT_EQ(back.info.height, 120u);
    EXPECT_DOUBLE_EQ(back.info.frameRate, 25);
    EXPECT_NEAR(back.info.duration, 1.2, 1e-3);
    ASSERT_EQ(back.info.frameDurations.size(), 30u);
    for (std::size_t i = 0; i < 30; ++i) EXPECT_NEAR(back.info.frameDurations[i], 0.04, 1e-6) << "frame " << i;
    ASSERT_EQ(back.frames.size(), 30u * 160 * 120 * 3);
    const std::size_t frameBytes = std::size_t{160} * 120 * 3;
    for (int i = 0; i < 30; ++i) {
        const std::vector<uint8_t> written = morvale_test::movingFrame(160, 120, i);
        EXPECT_GE(morvale_test::psnr(written.data(), back.frames.data() + i * frameBytes, frameBytes),
                  codec.minimumPsnr)
            << "frame " << i;
    }
}

// Each frame's duration as ffprobe sees it: from its start to the next
// frame's, the last one to the end of the file.
std::vector<double> probedDurations(const std::string& path) {
    const std::string text = morvale_test::commandOutput(
        "ffprobe -v error -select_streams v:0 -show_entries frame=pts_time -of csv=p=0 '" + path + "'");
    std::vector<double> starts;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) starts.push_back(std::stod(line));
    }
    starts.push_back(std::stod(morvale_test::commandOutput(
        "ffprobe -v error -show_entries format=duration -of csv=p=0 '" + path + "'")));
    std::vector<double> durations;
    for (std::size_t i = 0; i + 1 < starts.size(); ++i) durations.push_back(starts[i + 1] - starts[i]);
    return durations;
}

// Frame rate 0 takes one duration per frame. Where the container keeps
// them, the library's reader and ffprobe give them back (within the
// container's clock);
// AVI has one rate, the mean, and keeps the total. The mean rate
// (67.039 frames per second) has a period that MPEG-4 part 2 cannot state
// exactly in its 16-bit time base. The quality does not sink over the
// frames (it did for the encoders whose rate control takes the time base
// for the frame period, before they were given the mean period).
TEST_P(RoundTrip, PerFrameDurationsReadBack) {
    const Codec& codec = GetParam();
    const std::vector<double> pattern = {0.004, 0.01, 0.02, 0.005, 0.04, 1.0 / 30, 0.002, 0.005};
    std::vector<double> durations;
    for (int repeat = 0; repeat < 3; ++repeat) durations.insert(durations.end(), pattern.begin(), pattern.end());
    double total = 0;
    for (double d : durations) total += d;
    WholeVideo video;
    video.path = output(std::string("uneven.") + codec.extension);
    video.frames = static_cast<int>(durations.size());
    video.width = 160;
    video.height = 120;
    video.bitRate = 1000000;
    video.frameRate = 0;
    video.durations = durations;
    video.codec = codec.name;
    if (!encoderOpens(codec)) GTEST_SKIP() << "no encoder opens for " << codec.name;
    ASSERT_EQ(morvale_test::writeWholeVideo(video), 0);

    const ReadBack back = readBack(video.path);
    EXPECT_NEAR(back.info.duration, total, 1e-3);
    const std::vector<double> probed = probedDurations(video.path);
    ASSERT_EQ(probed.size(), durations.size());
    ASSERT_EQ(back.info.frameDurations.size(), durations.size());
    std::vector<double> quality;
    for (std::size_t i = 0; i < durations.size(); ++i) {
        const double expected =
            codec.durations == Durations::Mean ? total / static_cast<double>(durations.size()) : durations[i];
        EXPECT_NEAR(probed[i], expected, 1e-3) << "frame " << i << " through ffprobe";
        EXPECT_NEAR(back.info.frameDurations[i], expected, 1e-3) << "frame " << i << " through the reader";
        const std::vector<uint8_t> written = morvale_test::movingFrame(160, 120, static_cast<int>(i));
        quality.push_back(morvale_test::psnr(written.data(), back.frames.data() + i * written.size(), written.size()));
        EXPECT_GE(quality.back(), codec.minimumPsnr) << "frame " << i;
    }
    EXPECT_GE(quality.back(), quality.front() - 1.5) << "the quality sinks over the frames";
}

INSTANTIATE_TEST_SUITE_P(Codecs, RoundTrip, ::testing::ValuesIn(kCodecs), [](const auto& row) {
    return std::string(row.param.name) + "In" + row.param.extension;
});

class WrittenFiles : public morvale_test::WriterTest {};

// A non-ASCII name is an ordinary name; paths that cannot be written fail
// where the sink writer is made, with nothing left open, and initialising a
// writer on them answers false. (Which paths the platform cannot write is
// its own tests'.)
TEST_F(WrittenFiles, OutputPaths) {
    struct Case {
        const char* what;
        std::string path;
        const char* error;  // empty: written
    };
    const Case cases[] = {
        {"non-ASCII name", output("vid\xC3\xA9o \xE2\x98\x83.mp4"), ""},
        {"missing folder", output("missing/clip.mp4"), "MFObjectCreateError"},
        {"not UTF-8", output("clip\xC3(.mp4"), "MFObjectCreateError"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WholeVideo video;
        video.path = c.path;
        video.frames = 2;
        const int expected = *c.error ? morvale_test::codeOf(c.error) : 0;
        EXPECT_EQ(morvale_test::writeWholeVideo(video), expected);
        if (expected == 0) {
            EXPECT_EQ(readBack(c.path).info.frameCount, 2u);
        }

        HostArguments init;
        morvale_test::addInitArguments(init, c.path, 32, 24);
        EXPECT_EQ(init.call(MFInitVideoWriter, ResultKind::Boolean), expected);
        EXPECT_EQ(init.result().boolean != 0, expected == 0) << "the answer says whether the writer opened";
        globalVideoWriter().reset();
        EXPECT_EQ(TestControl::liveObjects(), 0);
    }
}

class EncoderListing : public morvale_test::WriterTest {};

TEST_F(EncoderListing, ListsWhatEncodesAndDecodes) {
    struct Case {
        const char* container;
        std::vector<const char*> missing;  // FFmpeg codec names
        const char* expected;
        long enumerations;
    };
    const Case cases[] = {
        {"AVI", {}, "H264,HEVC", 4},
        {"QuickTime", {}, "H264,HEVC", 4},
        {"avi", {}, "", 0},
        {"AVI", {"hevc"}, "H264", 4},
        {"AVI", {"libx264"}, "HEVC", 4},
        {"QuickTime", {"h264", "libx265"}, "", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.container + "' without " + std::to_string(c.missing.size()) + " codecs");
        TestControl::reset();
        for (const char* codec : c.missing) TestControl::setCodecMissing(codec, true);
        HostArguments arguments;
        arguments.addString(c.container);
        ASSERT_EQ(arguments.call(MFSupportedVideoEncodings, ResultKind::String), 0);
        EXPECT_STREQ(arguments.result().string, c.expected);
        EXPECT_EQ(TestControl::callCount("MFTEnumEx"), c.enumerations);
    }
}

}  // namespace
