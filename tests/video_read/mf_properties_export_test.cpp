#include <gtest/gtest.h>

#include "tests/support/media_fixtures.h"
#include "tests/support/export_calls.h"
#include "tests/support/export_test.h"
#include "video/read/video_info_cache.h"

using namespace TravexUtils;
using morvale_test::Fixture;
using morvale_test::fixturePath;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

using MFPropertiesExport = morvale_test::ExportTest;

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

    const long queries = TestControl::callCount("IMFSourceReader::GetPresentationAttribute");
    ASSERT_EQ(morvale_test::callPropertiesExport(MFReadVideoProperties, {SrValue::ofString(path)}).code, 0);
    EXPECT_EQ(TestControl::callCount("IMFSourceReader::GetPresentationAttribute"), queries)
        << "the second call is answered from the cache";
}

// A failure writes nothing on the host link and drops the file's entry:
// a link call failing after the first rule, or a duration of zero, from
// which no frame rate follows. (A failing reader is checked for every row
// in reading_bodies_test.cpp.)
TEST_F(MFPropertiesExport, FailuresWriteNothingAndDropTheEntry) {
    const std::string path = fixturePath(Fixture::H264FiveFrames);
    struct Case {
        const char* what;
        void (*arrange)();
        int code;
    };
    const Case cases[] = {
        {"link call fails", [] { srhost_failCall("SRPutReal64", 2, 7, "link broke"); }, -37},
        {"zero duration",
         [] {
             TestControl::Quirks quirks;
             quirks.reportedDuration = 0;
             TestControl::setQuirks(quirks);
         },
         4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        const auto reply = morvale_test::callPropertiesExport(MFReadVideoProperties, {SrValue::ofString(path)});
        EXPECT_EQ(reply.code, c.code);
        EXPECT_FALSE(reply.expression.has_value());
        EXPECT_FALSE(reply.partial.has_value());
        EXPECT_FALSE(VideoInfoCache::contains(path));
        TestControl::reset();
        srhost_reset();
    }
}

}  // namespace
