#include <gtest/gtest.h>

#include "tests/support/media_fixtures.h"
#include "tests/support/reference_media.h"
#include "tests/video_read/reader_test_support.h"
#include "video/read/mf_video_reader.h"

using namespace TravexUtils;
using morvale_test::Fixture;
using morvale_test::fixturePath;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

class MFReaderProperties : public morvale_test::ReaderTest {};

TEST_F(MFReaderProperties, MatchWhatFfprobeSees) {
    struct Case {
        Fixture file;
        const char* encoding;
    };
    const Case cases[] = {
        {Fixture::H264Small, "H264"},      {Fixture::H264FullHd, "H264"},    {Fixture::Mpeg4Avi, "MP4V"},
        {Fixture::Vp9Webm, "VP90"},      {Fixture::MjpegAvi, "MJPG"}, {Fixture::RgbAvi, "Uncompressed"},
        {Fixture::RgbOddAvi, "Uncompressed"}, {Fixture::AudioFirstMp4, "H264"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(morvale_test::fixtureName(c.file));
        const std::string path = fixturePath(c.file);
        const morvale_test::ProbeFacts expected = morvale_test::probeVideo(path);
        MFVideoReader reader(path);
        reader.open();
        reader.loadProperties();
        EXPECT_EQ(reader.info.width, expected.width);
        EXPECT_EQ(reader.info.height, expected.height);
        EXPECT_NEAR(reader.info.frameRate, expected.frameRate, 1e-6);
        EXPECT_NEAR(reader.info.duration, expected.duration, 0.05);
        EXPECT_EQ(reader.info.encodingName, c.encoding);
        if (expected.bitRate > 0) {
            EXPECT_EQ(reader.info.bitRate, static_cast<uint32_t>(expected.bitRate));
        }
        EXPECT_TRUE(reader.propertiesLoaded());
        EXPECT_EQ(reader.currentFrameIndex(), -1) << "the probe rewinds";
    }
}

TEST_F(MFReaderProperties, FrameCountAndDurationsMatchThePacketList) {
    for (Fixture file : {Fixture::H264Small, Fixture::Mpeg4Avi, Fixture::Vp9Webm, Fixture::RgbAvi,
                             Fixture::H264FiveFrames}) {
        SCOPED_TRACE(morvale_test::fixtureName(file));
        const std::string path = fixturePath(file);
        const std::vector<double> expected = morvale_test::packetDurations(path);
        MFVideoReader reader(path);
        reader.open();
        reader.countFrames();
        ASSERT_EQ(reader.info.frameCount, expected.size());
        ASSERT_EQ(reader.info.frameDurations.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_NEAR(reader.info.frameDurations[i], expected[i], 1e-4) << "frame " << i;
        }
        EXPECT_TRUE(reader.countDone());
        EXPECT_EQ(reader.currentFrameIndex(), -1);
    }
}

// Attributes a file may lack leave their facts empty.
TEST_F(MFReaderProperties, MissingBitRateOrSubtypeLeavesItEmpty) {
    TestControl::failCall("IMFAttributes::GetUINT32", MF_E_ATTRIBUTENOTFOUND);
    TestControl::failCall("IMFAttributes::GetGUID", MF_E_ATTRIBUTENOTFOUND);
    MFVideoReader reader(fixturePath(Fixture::H264FiveFrames));
    reader.open();
    reader.loadProperties();
    EXPECT_EQ(reader.info.bitRate, 0u);
    EXPECT_EQ(reader.info.encodingName, "");
    EXPECT_EQ(reader.info.width, 160u);
}

}  // namespace
