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

// Reads every frame back as BGRA through the source reader, with its time.
struct ReadBack {
    std::vector<std::vector<uint8_t>> pictures;
    std::vector<LONGLONG> times;
};

ReadBack readBack(ReaderSession& session, const std::string& path) {
    ReadBack result;
    ComPtr<IMFSourceReader> reader = session.openRgb32(path);
    if (!reader) return result;
    for (int guard = 0; guard < 1000; ++guard) {
        ReadResult read = readVideoSample(reader.get());
        EXPECT_EQ(read.hr, S_OK);
        if (FAILED(read.hr) || (read.flags & MF_SOURCE_READERF_ENDOFSTREAM) || !read.sample) break;
        result.pictures.push_back(sampleBytes(read.sample.get()));
        result.times.push_back(read.timestamp);
    }
    return result;
}

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

    const ReadBack frames = readBack(session, path);
    ASSERT_EQ(frames.pictures.size(), static_cast<size_t>(kFrames));
    for (int i = 0; i < kFrames; ++i) {
        const double quality = psnr(frames.pictures[i], movingPicture(format.width, format.height, i));
        if (std::isinf(row.minimumPsnr)) {
            EXPECT_TRUE(std::isinf(quality)) << "frame " << i << " differs: " << quality << " dB";
        } else {
            EXPECT_GE(quality, row.minimumPsnr) << "frame " << i;
        }
        EXPECT_NEAR(static_cast<double>(frames.times[i]), i * kRate25Period, 1.0) << "frame " << i;
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

TEST(SinkWriterPixels, PositiveDefaultStrideMeansTopRowFirst) {
    ReaderSession session;
    ScratchFolder folder;
    const std::string path = folder.path("top_down.avi");
    const VideoFormat format{MFVideoFormat_RGB24, 64, 48};
    ComPtr<IMFSinkWriter> writer;
    DWORD stream = 0;
    ASSERT_EQ(createSinkWriter(path, writer), S_OK);
    ASSERT_EQ(writer->AddStream(videoOutputType(format).get(), &stream), S_OK);
    ComPtr<IMFMediaType> input = rgb32InputType(format);
    input->SetUINT32(MF_MT_DEFAULT_STRIDE, format.width * 4);
    ASSERT_EQ(writer->SetInputMediaType(stream, input.get(), nullptr), S_OK);
    ASSERT_EQ(writer->BeginWriting(), S_OK);
    const auto picture = movingPicture(format.width, format.height, 3);
    ASSERT_EQ(writeVideoSample(writer.get(), stream, picture, 0, kRate25Period), S_OK);
    ASSERT_EQ(writer->Finalize(), S_OK);
    writer.reset();

    const ReadBack frames = readBack(session, path);
    ASSERT_EQ(frames.pictures.size(), 1u);
    EXPECT_EQ(frames.pictures[0], picture);
}

TEST(SinkWriterStatistics, CountSamplesReceivedAndWritten) {
    ReaderSession session;
    ScratchFolder folder;
    const VideoFormat format{MFVideoFormat_RGB24, 32, 16};
    ComPtr<IMFSinkWriter> writer;
    DWORD stream = 0;
    ASSERT_EQ(beginVideo(folder.path("counted.avi"), format, writer, stream), S_OK);
    for (int i = 0; i < 4; ++i) {
        const auto buffer = bottomUpBuffer(movingPicture(format.width, format.height, i), format.width, format.height);
        ASSERT_EQ(writeVideoSample(writer.get(), stream, buffer, i * kRate25Period, kRate25Period), S_OK);
    }
    MF_SINK_WRITER_STATISTICS statistics{};
    statistics.cb = sizeof(statistics);
    ASSERT_EQ(writer->GetStatistics(stream, &statistics), S_OK);
    EXPECT_EQ(statistics.qwNumSamplesReceived, 4u);
    EXPECT_EQ(statistics.llLastTimestampReceived, 3 * kRate25Period);
    // Encoder threads may still hold frames until Finalize drains them.
    EXPECT_LE(statistics.qwNumSamplesProcessed, 4u);
    ASSERT_EQ(writer->Finalize(), S_OK);
    ASSERT_EQ(writer->GetStatistics(MF_SINK_WRITER_ALL_STREAMS, &statistics), S_OK);
    EXPECT_EQ(statistics.qwNumSamplesProcessed, 4u);
    EXPECT_EQ(statistics.qwByteCountProcessed, 4u * 32 * 16 * 3);
    EXPECT_EQ(statistics.llLastTimestampProcessed, 3 * kRate25Period);
    statistics.cb = 0;
    EXPECT_EQ(writer->GetStatistics(stream, &statistics), E_INVALIDARG);
    statistics.cb = sizeof(statistics);
    EXPECT_EQ(writer->GetStatistics(stream + 1, &statistics), MF_E_INVALIDSTREAMNUMBER);
}

}  // namespace
}  // namespace PlatformTest
