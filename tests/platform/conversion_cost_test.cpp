// Decoding follows the caller: frames read and released unseen cost no RGB
// conversion, and no decode beyond what the frames asked for need; only
// asking for a buffer decodes and converts, once.
#include <gtest/gtest.h>

#include "media_probes.h"
#include "platform/linux/test_control.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

namespace TestControl = MorvalePlatform::TestControl;

class ConversionCost : public ::testing::Test {
protected:
    void SetUp() override { TestControl::reset(); }
};

TEST_F(ConversionCost, SkippedFramesAreNeverConverted) {
    ReaderSession session;
    auto reader = session.openRgb32(fixturePath(Fixture::H264Small));
    ASSERT_TRUE(reader);
    EXPECT_EQ(TestControl::decodedFrames(), 0) << "opening decodes nothing";
    for (int frame = 0; frame < 10; ++frame) {
        ReadResult read = readVideoSample(reader.get());
        ASSERT_TRUE(read.sample);
        DWORD count = 0;
        DWORD length = 0;
        EXPECT_EQ(read.sample->GetBufferCount(&count), S_OK);
        EXPECT_EQ(count, 1u);
        EXPECT_EQ(read.sample->GetTotalLength(&length), S_OK);
        EXPECT_EQ(length, 320u * 240 * 4);
        if (frame == 4 || frame == 7) {
            sampleBytes(read.sample.get());
            sampleBytes(read.sample.get());  // a second look converts nothing more
        }
    }
    // Frames 0 to 7 come out of the decoder on the way to frame 7; 8 and 9
    // are never asked for.
    EXPECT_EQ(TestControl::decodedFrames(), 8);
    EXPECT_EQ(TestControl::rgbConversions(), 2);
}

TEST_F(ConversionCost, BufferByIndexConvertsLikeTheContiguousBuffer) {
    ReaderSession session;
    auto reader = session.openRgb32(fixturePath(Fixture::RgbAvi));
    ASSERT_TRUE(reader);
    ReadResult read = readVideoSample(reader.get());
    ASSERT_TRUE(read.sample);
    ComPtr<IMFMediaBuffer> byIndex;
    ASSERT_EQ(read.sample->GetBufferByIndex(0, &byIndex), S_OK);
    EXPECT_EQ(TestControl::rgbConversions(), 1);
    ComPtr<IMFMediaBuffer> contiguous;
    ASSERT_EQ(read.sample->ConvertToContiguousBuffer(&contiguous), S_OK);
    EXPECT_EQ(contiguous.get(), byIndex.get());
    EXPECT_EQ(TestControl::rgbConversions(), 1);
}

}  // namespace
}  // namespace PlatformTest
