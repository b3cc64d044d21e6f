// Decoder behaviour reproduced on demand: pictures padded to whole
// macroblocks and a size change in mid-stream, for frames decoded as they
// are read and for frames decoded later.
#include <gtest/gtest.h>

#include <algorithm>

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

// Samples are held and their buffers asked for afterwards, backwards: frames
// decoded late follow the quirk as well. A reader opened before the quirk
// was set keeps the true size.
TEST_F(QuirkTest, PaddedHeightShowsInTheCurrentTypeOnlyAndKeepsThePictureRows) {
    const std::string path = fixturePath(Fixture::H264FullHd);
    ReaderSession session;
    const std::vector<std::vector<uint8_t>> unpadded = everyFrame(session, path);
    auto before = session.openRgb32(path);
    ASSERT_TRUE(before);
    Quirks quirks;
    quirks.padHeightToMacroblock = true;
    MorvalePlatform::TestControl::setQuirks(quirks);
    EXPECT_EQ(currentFrameSize(before.get()), std::make_pair(1920u, 1080u));
    auto reader = session.openRgb32(path);
    ASSERT_TRUE(reader);

    ComPtr<IMFMediaType> native;
    ASSERT_EQ(reader->GetNativeMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, 0, &native), S_OK);
    UINT32 width = 0;
    UINT32 height = 0;
    ASSERT_EQ(MFGetAttributeSize(native.get(), MF_MT_FRAME_SIZE, &width, &height), S_OK);
    EXPECT_EQ(height, 1080u);
    EXPECT_EQ(currentFrameSize(reader.get()), std::make_pair(1920u, 1088u));

    std::vector<ComPtr<IMFSample>> held;
    for (int i = 0; i < 4; ++i) {
        ReadResult read = readVideoSample(reader.get());
        ASSERT_TRUE(read.sample);
        EXPECT_EQ(read.flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED, 0u);
        held.push_back(read.sample);
    }
    const size_t stride = 1920 * 4;
    for (size_t i = held.size(); i-- > 0;) {
        const std::vector<uint8_t> padded = sampleBytes(held[i].get());
        ASSERT_EQ(padded.size(), stride * 1088);
        ASSERT_EQ(unpadded[i].size(), stride * 1080);
        EXPECT_TRUE(std::equal(unpadded[i].begin(), unpadded[i].end(), padded.begin())) << "frame " << i;
        EXPECT_TRUE(std::all_of(padded.begin() + stride * 1080, padded.end(), [](uint8_t byte) { return byte == 0; }));
    }
}

// The first pass asks for each buffer as its sample comes; the second, after
// a rewind, holds the samples and asks for their buffers backwards.
TEST_F(QuirkTest, SizeChangeIsFlaggedOnTheFirstSampleOfTheNewSize) {
    Quirks quirks;
    quirks.sizeChangeFrame = 3;
    quirks.sizeChangeWidth = 100;
    quirks.sizeChangeHeight = 60;
    MorvalePlatform::TestControl::setQuirks(quirks);
    ReaderSession session;
    auto reader = session.openRgb32(fixturePath(Fixture::H264Small));
    ASSERT_TRUE(reader);
    const auto sizeOf = [](int frame) { return frame >= 3 ? std::make_pair(100u, 60u) : std::make_pair(320u, 240u); };
    const auto bytesOf = [&](int frame) { return size_t{sizeOf(frame).first} * sizeOf(frame).second * 4; };
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<ComPtr<IMFSample>> held;
        for (int frame = 0; frame < 6; ++frame) {
            ReadResult read = readVideoSample(reader.get());
            ASSERT_TRUE(read.sample);
            // After the rewind the first frame is back at the original size.
            const bool changes = frame == 3 || (pass == 1 && frame == 0);
            EXPECT_EQ((read.flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) != 0, changes)
                << "pass " << pass << " frame " << frame;
            EXPECT_EQ(currentFrameSize(reader.get()), sizeOf(frame));
            if (pass == 0) {
                EXPECT_EQ(sampleBytes(read.sample.get()).size(), bytesOf(frame));
            }
            held.push_back(read.sample);
        }
        for (int frame = 5; pass == 1 && frame >= 0; --frame) {
            EXPECT_EQ(sampleBytes(held[static_cast<size_t>(frame)].get()).size(), bytesOf(frame))
                << "frame " << frame << " asked for late";
        }
        ASSERT_EQ(rewind(reader.get()), S_OK);
    }
}

}  // namespace
}  // namespace PlatformTest
