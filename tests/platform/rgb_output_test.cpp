// Decoding to RGB32: pixels against the ffmpeg tool's own decode, end of
// stream, position formats, and the presentation duration. Sample times
// against ffprobe's are checked with lazy decoding (lazy_decoding_test.cpp).
#include <gtest/gtest.h>

#include "media_probes.h"
#include "platform/prop_variant_guard.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

struct PixelCase {
    Fixture fixture;
    UINT32 width;
    UINT32 height;
    size_t frames;
    // Largest difference allowed in any colour byte: none where frames convert
    // as the tool converts them (4:2:0, RGB); the MJPEG fixture is 4:4:4, which
    // the tool converts by another route.
    int tolerance;
};

class RgbPixels : public ::testing::TestWithParam<PixelCase> {};

TEST_P(RgbPixels, MatchTheFfmpegToolsDecode) {
    const PixelCase& param = GetParam();
    const std::string path = fixturePath(param.fixture);
    ReaderSession session;
    auto reader = session.openRgb32(path);
    ASSERT_TRUE(reader);

    ComPtr<IMFMediaType> current;
    ASSERT_EQ(reader->GetCurrentMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, &current), S_OK);
    GUID subtype{};
    ASSERT_EQ(current->GetGUID(MF_MT_SUBTYPE, &subtype), S_OK);
    EXPECT_EQ(subtype, MFVideoFormat_RGB32);
    EXPECT_EQ(currentFrameSize(reader.get()), std::make_pair(param.width, param.height));
    UINT32 stride = 0;
    EXPECT_EQ(current->GetUINT32(MF_MT_DEFAULT_STRIDE, &stride), S_OK);
    EXPECT_EQ(stride, param.width * 4);

    const std::vector<SampleRead> clip = readToEnd(reader.get(), everySample);
    ASSERT_EQ(clip.size(), param.frames);
    std::vector<std::vector<uint8_t>> frames;
    for (const SampleRead& frame : clip) {
        EXPECT_EQ(frame.timeResult, S_OK);
        ASSERT_EQ(frame.pixels.size(), size_t{param.width} * param.height * 4);
        frames.push_back(frame.pixels);
    }
    EXPECT_LE(largestDifferenceFromFfmpeg(frames, path), param.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, RgbPixels,
    ::testing::Values(PixelCase{Fixture::RgbAvi, 64, 48, 10, 0}, PixelCase{Fixture::RgbOddAvi, 33, 17, 7, 0},
                      PixelCase{Fixture::H264Small, 320, 240, 50, 0}, PixelCase{Fixture::Mpeg4Avi, 320, 240, 25, 0},
                      PixelCase{Fixture::Vp9Webm, 160, 120, 25, 0}, PixelCase{Fixture::MjpegAvi, 320, 240, 25, 2},
                      PixelCase{Fixture::H264FiveFrames, 160, 120, 5, 0},
                      PixelCase{Fixture::H264FullHd, 1920, 1080, 10, 0}),
    [](const auto& instance) { return fixtureName(instance.param.fixture); });

TEST(RgbOutput, EndOfStreamComesWithoutSampleAndStays) {
    ReaderSession session;
    auto reader = session.openRgb32(fixturePath(Fixture::H264FiveFrames));
    ASSERT_TRUE(reader);
    for (int i = 0; i < 5; ++i) {
        ReadResult read = readVideoSample(reader.get());
        ASSERT_EQ(read.hr, S_OK);
        EXPECT_EQ(read.flags & MF_SOURCE_READERF_ENDOFSTREAM, 0u) << "frame " << i;
        EXPECT_TRUE(read.sample) << "frame " << i;
    }
    for (int again = 0; again < 2; ++again) {
        ReadResult read = readVideoSample(reader.get());
        ASSERT_EQ(read.hr, S_OK);
        EXPECT_NE(read.flags & MF_SOURCE_READERF_ENDOFSTREAM, 0u);
        EXPECT_FALSE(read.sample);
    }
}

TEST(RgbOutput, PositionsOtherThanHundredNanosecondNumbersAreRefused) {
    ReaderSession session;
    auto reader = session.openRgb32(fixturePath(Fixture::H264FiveFrames));
    ASSERT_TRUE(reader);
    MorvalePlatform::PropVariantGuard position;
    position->vt = VT_UI4;
    EXPECT_EQ(reader->SetCurrentPosition(GUID_NULL, position.value()), MF_E_UNSUPPORTED_TIME_FORMAT);
    position.setInt64(0);
    EXPECT_EQ(reader->SetCurrentPosition(MF_MT_SUBTYPE, position.value()), MF_E_UNSUPPORTED_TIME_FORMAT);
}

TEST(RgbOutput, PresentationDurationIsTheContainersInHundredNanoseconds) {
    for (Fixture fixture : {Fixture::H264Small, Fixture::Mpeg4Avi, Fixture::Vp9Webm, Fixture::AudioFirstMp4}) {
        const std::string path = fixturePath(fixture);
        ReaderSession session;
        ComPtr<IMFSourceReader> reader;
        ASSERT_EQ(session.open(path, reader), S_OK);
        MorvalePlatform::PropVariantGuard duration;
        ASSERT_EQ(reader->GetPresentationAttribute(MF_SOURCE_READER_MEDIASOURCE, MF_PD_DURATION, duration.get()), S_OK);
        EXPECT_EQ(duration->vt, VT_UI8);
        EXPECT_NEAR(static_cast<double>(duration->uhVal.QuadPart), static_cast<double>(probeDuration100ns(path)), 10.0)
            << path;
    }
}

}  // namespace
}  // namespace PlatformTest
