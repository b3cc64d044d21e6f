// The sink writer writes what it is given: moving pictures through every
// encoder row of the platform come back through ffprobe with the right
// codec, size, rate, frame count and duration, and through the platform's
// own source reader close to the originals (exactly for raw RGB); sample
// times become the stream's presentation times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <filesystem>
#include <numeric>

#include "media_probes.h"
#include "platform/linux/codec_availability.h"
#include "platform/linux/test_control.h"
#include "reader_session.h"
#include "video_writing.h"

namespace PlatformTest {
namespace {

constexpr int kFrames = 30;
constexpr LONGLONG kRate25Period = 400000;

struct RoundTrip {
    const char* name;
    GUID subtype;
    const char* extension;
    const char* encoder;    // FFmpeg encoder the row needs
    const char* codecName;  // as ffprobe names it
    double minimumPsnr;     // dB over all colour bytes of every frame
};

void PrintTo(const RoundTrip& row, std::ostream* out) { *out << row.name; }

// The bounds hold with room at 2 Mbit/s for 160x120, and catch real
// mistakes: a picture upside down scores 9 dB, one with red and blue
// swapped 12 dB, the neighbouring frame 28 dB.
const RoundTrip kRoundTrips[] = {
    {"H264InMp4", MFVideoFormat_H264, "mp4", "libx264", "h264", 35},
    {"HevcInMp4", MFVideoFormat_HEVC, "mp4", "libx265", "hevc", 35},
    {"MjpgInAvi", MFVideoFormat_MJPG, "avi", "mjpeg", "mjpeg", 30},
    {"Mp4vInAvi", MFVideoFormat_MP4V, "avi", "mpeg4", "mpeg4", 30},
    {"Vp90InMkv", MFVideoFormat_VP90, "mkv", "libvpx-vp9", "vp9", 30},
    {"UncompressedInAvi", MFVideoFormat_RGB24, "avi", "rawvideo", "rawvideo", INFINITY},
};

class WrittenVideo : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(WrittenVideo, ReadsBackAsWrittenThroughFfprobeAndTheSourceReader) {
    const RoundTrip& row = GetParam();
    if (!MorvalePlatform::usableEncoder(row.encoder)) GTEST_SKIP() << row.encoder << " is not available";
    ReaderSession session;
    ScratchFolder folder;
    const std::string path = folder.path(std::string("moving.") + row.extension);
    const VideoFormat format{row.subtype};
    const long objectsBefore = MorvalePlatform::TestControl::liveObjects();
    ASSERT_EQ(writeMovingVideo(path, format, evenDurations(format, kFrames)), S_OK);
    EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), objectsBefore);

    const auto streams = probeStreams(path);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].at("codec_name"), row.codecName);
    EXPECT_EQ(streams[0].at("width"), "160");
    EXPECT_EQ(streams[0].at("height"), "120");
    EXPECT_EQ(streams[0].at("r_frame_rate"), "25/1");
    EXPECT_EQ(probeFrameCount(path), kFrames);
    EXPECT_NEAR(static_cast<double>(probeDuration100ns(path)), kFrames * kRate25Period, 10000.0);

    auto reader = session.openRgb32(path);
    ASSERT_TRUE(reader);
    const std::vector<SampleRead> frames = readToEnd(reader.get(), everySample);
    ASSERT_EQ(frames.size(), static_cast<size_t>(kFrames));
    for (int i = 0; i < kFrames; ++i) {
        const double quality = psnr(frames[i].pixels, movingPicture(format.width, format.height, i));
        if (std::isinf(row.minimumPsnr)) {
            EXPECT_TRUE(std::isinf(quality)) << "frame " << i << " differs: " << quality << " dB";
        } else {
            EXPECT_GE(quality, row.minimumPsnr) << "frame " << i;
        }
        EXPECT_NEAR(static_cast<double>(frames[i].timestamp), i * kRate25Period, 1.0) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Encoders, WrittenVideo, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& instance) { return std::string(instance.param.name); });

struct Timing {
    const char* name;
    UINT32 rate;
    std::vector<LONGLONG> durations;
};

void PrintTo(const Timing& row, std::ostream* out) { *out << row.name; }

const Timing kTimings[] = {
    {"Rate25", 25, std::vector<LONGLONG>(12, 400000)},
    {"Rate30", 30, std::vector<LONGLONG>(12, 333333)},
    {"UnevenDurations", 25,
     {400000, 200000, 600000, 400000, 1000000, 400000, 100000, 300000, 500000, 400000, 800000, 400000}},
};

class WrittenSampleTimes : public ::testing::TestWithParam<Timing> {};

// H.264 in MP4 keeps presentation times in 1/90000 s: a sample time lands
// within one tick (111 units of 100 ns).
TEST_P(WrittenSampleTimes, BecomeThePresentationTimesOfTheFrames) {
    if (!MorvalePlatform::usableEncoder("libx264")) GTEST_SKIP() << "libx264 is not available";
    const Timing& row = GetParam();
    ReaderSession session;
    ScratchFolder folder;
    const std::string path = folder.path("timed.mp4");
    VideoFormat format{MFVideoFormat_H264};
    format.rateNumerator = row.rate;
    ASSERT_EQ(writeMovingVideo(path, format, row.durations), S_OK);

    const auto frames = probeVideoFrameTimes(path);
    ASSERT_EQ(frames.size(), row.durations.size());
    LONGLONG time = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_NEAR(static_cast<double>(frames[i].time), static_cast<double>(time), 112.0) << "frame " << i;
        time += row.durations[i];
    }
    EXPECT_NEAR(static_cast<double>(probeDuration100ns(path)), static_cast<double>(time), 112.0);
    if (std::adjacent_find(row.durations.begin(), row.durations.end(), std::not_equal_to<>()) == row.durations.end()) {
        EXPECT_EQ(probeStreams(path).at(0).at("r_frame_rate"), std::to_string(row.rate) + "/1");
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, WrittenSampleTimes, ::testing::ValuesIn(kTimings),
                         [](const auto& instance) { return std::string(instance.param.name); });

}  // namespace
}  // namespace PlatformTest
