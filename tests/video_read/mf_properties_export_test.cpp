#include <gtest/gtest.h>

#include "tests/support/media_fixtures.h"
#include "tests/video_read/export_calls.h"
#include "tests/video_read/reader_test_support.h"
#include "video/read/video_info_cache.h"

using namespace TravexUtils;
using morvale_test::Fixture;
using morvale_test::fixturePath;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

class MFPropertiesExport : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(KorvelLibrary_initialize(korvel::hostLibraryData()), 0);
        TestControl::reset();
        srhost_reset();
    }
    void TearDown() override {
        VideoInfoCache::clear();
        EXPECT_EQ(srhost_openLoopbackLinks(), 0);
        EXPECT_EQ(srhost_liveLoans(), 0);
        EXPECT_EQ(TestControl::liveObjects(), 0);
    }
};

TEST_F(MFPropertiesExport, SixRulesInOrderWithTheirTypes) {
    const std::string path = fixturePath(Fixture::H264Small);
    const auto reply = morvale_test::callPropertiesExport(MFReadVideoProperties, {SrValue::ofString(path)});
    ASSERT_EQ(reply.code, 0);
    ASSERT_TRUE(reply.expression.has_value());
    const SrValue& association = *reply.expression;
    ASSERT_TRUE(association.isFunction("Association"));
    ASSERT_EQ(association.args.size(), 6u);
    struct Expected {
        const char* key;
        const char* origin;
    };
    const Expected expected[] = {{"Duration", "SRPutReal64"},       {"FrameWidth", "SRPutInteger64"},
                                 {"FrameHeight", "SRPutInteger64"}, {"BitRate", "SRPutInteger64"},
                                 {"VideoEncoding", "SRPutByteString"}, {"FrameRate", "SRPutReal64"}};
    for (std::size_t i = 0; i < 6; ++i) {
        const SrValue& rule = association.args[i];
        ASSERT_TRUE(rule.isFunction("Rule"));
        EXPECT_EQ(rule.args[0].text, expected[i].key);
        EXPECT_EQ(rule.args[1].origin, expected[i].origin) << expected[i].key;
    }
    EXPECT_NEAR(association.args[0].args[1].real, 2.0, 0.05);
    EXPECT_EQ(association.args[1].args[1].integer, 320);
    EXPECT_EQ(association.args[2].args[1].integer, 240);
    EXPECT_EQ(association.args[4].args[1].text, "H264");
    EXPECT_DOUBLE_EQ(association.args[5].args[1].real, 25.0);
    EXPECT_FALSE(reply.partial.has_value());
}

TEST_F(MFPropertiesExport, SecondCallIsAnsweredFromTheCache) {
    const std::string path = fixturePath(Fixture::H264FiveFrames);
    ASSERT_EQ(morvale_test::callPropertiesExport(MFReadVideoProperties, {SrValue::ofString(path)}).code, 0);
    const long queries = TestControl::callCount("IMFSourceReader::GetPresentationAttribute");
    ASSERT_EQ(morvale_test::callPropertiesExport(MFReadVideoProperties, {SrValue::ofString(path)}).code, 0);
    EXPECT_EQ(TestControl::callCount("IMFSourceReader::GetPresentationAttribute"), queries);
}

TEST_F(MFPropertiesExport, FailuresWriteNothingAndDropTheEntry) {
    const std::string path = fixturePath(Fixture::H264FiveFrames);
    ASSERT_EQ(morvale_test::callPropertiesExport(MFReadVideoProperties, {SrValue::ofString(path)}).code, 0);
    ASSERT_TRUE(VideoInfoCache::contains(path));

    // A failing link call after the first rule leaves nothing on the host
    // link. (A failing reader is checked for every row in
    // reading_bodies_test.cpp.)
    srhost_failCall("SRPutReal64", 2, 7, "link broke");
    const auto halfway = morvale_test::callPropertiesExport(MFReadVideoProperties, {SrValue::ofString(path)});
    EXPECT_EQ(halfway.code, -37);
    EXPECT_FALSE(halfway.expression.has_value());
    EXPECT_FALSE(halfway.partial.has_value());
    EXPECT_FALSE(VideoInfoCache::contains(path));
}

TEST_F(MFPropertiesExport, ZeroDurationIsANumericalErrorAndDropsTheEntry) {
    const std::string path = fixturePath(Fixture::H264FiveFrames);
    TestControl::Quirks quirks;
    quirks.reportedDuration = 0;
    TestControl::setQuirks(quirks);
    const auto reply = morvale_test::callPropertiesExport(MFReadVideoProperties, {SrValue::ofString(path)});
    EXPECT_EQ(reply.code, 4);
    EXPECT_FALSE(reply.expression.has_value());
    EXPECT_FALSE(reply.partial.has_value());
    EXPECT_FALSE(VideoInfoCache::contains(path));
}

TEST_F(MFPropertiesExport, ArgumentListMustHoldOnePath) {
    const std::string path = fixturePath(Fixture::H264FiveFrames);
    const auto reply = morvale_test::callPropertiesExport(MFReadVideoProperties,
                                                          {SrValue::ofString(path), SrValue::ofInteger(2)});
    EXPECT_EQ(reply.code, -27);
    EXPECT_FALSE(reply.expression.has_value());
    EXPECT_EQ(VideoInfoCache::size(), 0u);
}

}  // namespace
