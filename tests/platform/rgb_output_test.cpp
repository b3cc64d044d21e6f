// The source reader's end of stream, position formats and presentation
// duration. Pixels and sample times against the ffmpeg tools are checked
// with lazy decoding (lazy_decoding_test.cpp).
#include <gtest/gtest.h>

#include "media_probes.h"
#include "platform/prop_variant_guard.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

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
