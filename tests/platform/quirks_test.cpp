// Decoder behaviour reproduced on demand: pictures padded to whole
// macroblocks, a size change in mid-stream, a sample without a time.
#include <gtest/gtest.h>

#include "media_probes.h"
#include "platform/linux/test_control.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

using MorvalePlatform::TestControl::Quirks;

class QuirkTest : public ::testing::Test {
protected:
    void SetUp() override { MorvalePlatform::TestControl::reset(); }
    void TearDown() override { MorvalePlatform::TestControl::reset(); }
};

TEST_F(QuirkTest, PaddedHeightShowsInTheCurrentTypeOnlyAndKeepsThePictureRows) {
    const std::string path = fixturePath(Fixture::H264FullHd);
    ReaderSession session;
    std::vector<uint8_t> unpadded;
    {
        auto reader = session.openRgb32(path);
        ASSERT_TRUE(reader);
        unpadded = sampleBytes(readVideoSample(reader.get()).sample.get());
    }
    Quirks quirks;
    quirks.padHeightToMacroblock = true;
    MorvalePlatform::TestControl::setQuirks(quirks);
    auto reader = session.openRgb32(path);
    ASSERT_TRUE(reader);

    ComPtr<IMFMediaType> native;
    ASSERT_EQ(reader->GetNativeMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, 0, &native), S_OK);
    UINT32 width = 0;
    UINT32 height = 0;
    ASSERT_EQ(MFGetAttributeSize(native.get(), MF_MT_FRAME_SIZE, &width, &height), S_OK);
    EXPECT_EQ(height, 1080u);
    EXPECT_EQ(currentFrameSize(reader.get()), std::make_pair(1920u, 1088u));

    ReadResult read = readVideoSample(reader.get());
    ASSERT_TRUE(read.sample);
    EXPECT_EQ(read.flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED, 0u);
    const std::vector<uint8_t> padded = sampleBytes(read.sample.get());
    const size_t stride = 1920 * 4;
    ASSERT_EQ(padded.size(), stride * 1088);
    ASSERT_EQ(unpadded.size(), stride * 1080);
    EXPECT_TRUE(std::equal(unpadded.begin(), unpadded.end(), padded.begin()));
    EXPECT_TRUE(std::all_of(padded.begin() + stride * 1080, padded.end(), [](uint8_t byte) { return byte == 0; }));
}

TEST_F(QuirkTest, SizeChangeIsFlaggedOnTheFirstSampleOfTheNewSize) {
    Quirks quirks;
    quirks.sizeChangeFrame = 3;
    quirks.sizeChangeWidth = 100;
    quirks.sizeChangeHeight = 60;
    MorvalePlatform::TestControl::setQuirks(quirks);
    ReaderSession session;
    auto reader = session.openRgb32(fixturePath(Fixture::H264Small));
    ASSERT_TRUE(reader);
    for (int pass = 0; pass < 2; ++pass) {
        for (int frame = 0; frame < 6; ++frame) {
            ReadResult read = readVideoSample(reader.get());
            ASSERT_TRUE(read.sample);
            // After the rewind the first frame is back at the original size.
            const bool changes = frame == 3 || (pass == 1 && frame == 0);
            EXPECT_EQ((read.flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) != 0, changes)
                << "pass " << pass << " frame " << frame;
            const auto size = frame >= 3 ? std::make_pair(100u, 60u) : std::make_pair(320u, 240u);
            EXPECT_EQ(currentFrameSize(reader.get()), size);
            EXPECT_EQ(sampleBytes(read.sample.get()).size(), size_t{size.first} * size.second * 4);
        }
        ASSERT_EQ(rewind(reader.get()), S_OK);
    }
}

TEST_F(QuirkTest, UntimedSampleHasNoTimeButKeepsItsDuration) {
    Quirks quirks;
    quirks.untimedFrame = 2;
    MorvalePlatform::TestControl::setQuirks(quirks);
    ReaderSession session;
    auto reader = session.openRgb32(fixturePath(Fixture::H264FiveFrames));
    ASSERT_TRUE(reader);
    for (int frame = 0; frame < 5; ++frame) {
        ReadResult read = readVideoSample(reader.get());
        ASSERT_TRUE(read.sample);
        LONGLONG time = -1;
        LONGLONG duration = 0;
        EXPECT_EQ(read.sample->GetSampleTime(&time), frame == 2 ? MF_E_NO_SAMPLE_TIMESTAMP : S_OK);
        EXPECT_EQ(read.sample->GetSampleDuration(&duration), S_OK);
        EXPECT_EQ(duration, 400000);
        if (frame == 2) {
            EXPECT_EQ(read.timestamp, 0);
        } else {
            EXPECT_EQ(read.timestamp, frame * 400000);
        }
    }
}

TEST_F(QuirkTest, QuirksApplyOnlyToReadersOpenedAfterwards) {
    ReaderSession session;
    auto before = session.openRgb32(fixturePath(Fixture::H264FullHd));
    ASSERT_TRUE(before);
    Quirks quirks;
    quirks.padHeightToMacroblock = true;
    MorvalePlatform::TestControl::setQuirks(quirks);
    EXPECT_EQ(currentFrameSize(before.get()), std::make_pair(1920u, 1080u));
    auto after = session.openRgb32(fixturePath(Fixture::H264FullHd));
    ASSERT_TRUE(after);
    EXPECT_EQ(currentFrameSize(after.get()), std::make_pair(1920u, 1088u));
}

}  // namespace
}  // namespace PlatformTest
