// The link stream: expressions of unknown length collected on loopback links
// and written with their true counts, head tests, the ASCII byte-string
// shortcut, string reads, and what a failure leaves on the host link.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/link_stream.h"
#include "link_test_support.h"
#include "tests/support/error_expectations.h"

namespace {

using namespace TravexUtils;
using namespace link_test;

using LinkStreamTest = HostLinkTest;

TEST_F(LinkStreamTest, NestedExpressionsArriveWithTheirTrueCounts) {
    {
        LinkStream stream(host.get());
        stream.beginExpression({"Association"});
        stream.putRule().putString("a").putScalar(int32_t{1});
        stream.putRule().putString("b");
        stream.beginExpression({"Association"});
        EXPECT_EQ(stream.depth(), 3u);
        stream.putRule().putString("x").putScalar(1.5);
        stream.putRule().putString("y").putScalar(2LL);
        stream.putRule().putString("z").putString("w");
        stream.endExpression();
        stream.putRule().putString("e");
        stream.beginExpression({"Association"}).endExpression();  // empty: its head with count zero
        stream.endExpression();
        EXPECT_EQ(stream.depth(), 1u);
        EXPECT_EQ(stream.currentLink(), host.get());
        EXPECT_EQ(srhost_openLoopbackLinks(), 0) << "every loopback is closed once its expression ends";
    }
    const auto written = srhost_read(host.get());
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(*written,
              association({rule(str("a"), integer(1)),
                           rule(str("b"), association({rule(str("x"), real(1.5)), rule(str("y"), integer(2)),
                                                       rule(str("z"), str("w"))})),
                           rule(str("e"), association({}))}));
    EXPECT_EQ(written->origin, "SRPutFunction");
    EXPECT_EQ(srhost_resultCount(host.get()), 0) << "one expression, nothing after it";
    expectNothingLeftOpen();
}

TEST_F(LinkStreamTest, EndingWithNoOpenExpressionRaisesAndWritesNothing) {
    LinkStream stream(host.get());
    EXPECT_RAISES(stream.endExpression(), "SRLoopbackStackSizeError",
                  "Trying to End expression with loopback stack size 1");
    EXPECT_EQ(stream.depth(), 1u);
    EXPECT_EQ(srhost_partial(host.get()), std::nullopt);
    EXPECT_EQ(srhost_read(host.get()), std::nullopt);
}

TEST_F(LinkStreamTest, StreamClosesTheLoopbacksOfExpressionsLeftOpen) {
    {
        LinkStream stream(host.get());
        stream.beginExpression({"Association"});
        stream.putRule().putString("k");
        stream.beginExpression({"Association"});
        stream.putRule().putString("x").putScalar(1.0);
        EXPECT_EQ(srhost_openLoopbackLinks(), 2);
    }
    EXPECT_EQ(srhost_read(host.get()), std::nullopt);
    EXPECT_EQ(srhost_partial(host.get()), std::nullopt);
    expectNothingLeftOpen();
}

TEST_F(LinkStreamTest, FailureAtTheTopLevelLeavesThePartialExpression) {
    LinkStream stream(host.get());
    stream.putFunction(FunctionHead("List", 3)).putScalar(int32_t{1}).putString("a");
    srhost_failCall("SRPutReal64", 1, 2, "full");
    EXPECT_RAISES(stream.putScalar(2.5), "SRPutScalarError", linkText(2, "full") + "SRPutReal64");
    EXPECT_EQ(srhost_read(host.get()), std::nullopt);
    EXPECT_EQ(srhost_partial(host.get()), std::optional<SrValue>(SrValue::ofList({integer(1), str("a")})));
}

TEST_F(LinkStreamTest, HeadTests) {
    struct Case {
        SrValue sent;
        const char* head;
        int32_t count;
        const char* debugText;  // nullptr: the test passes
    };
    const std::vector<Case> cases{
        {SrValue::ofList({}), "List", 0, nullptr},
        {SrValue::ofList({str("a")}), "List", 1, nullptr},
        {SrValue::ofList({str("a"), str("b")}), "List", 1, "Expected 1 arguments but got 2"},
        {SrValue::ofList({str("a")}), "List", 0, "Expected 0 arguments but got 1"},
        {SrValue::ofList({}), "List", 1, "Expected 1 arguments but got 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.sent) + " against " + std::to_string(c.count));
        srhost_reset();
        SrHostLink link;
        ASSERT_TRUE(srhost_put(link.get(), c.sent));
        LinkStream stream(link.get());
        if (c.debugText == nullptr) {
            EXPECT_NO_THROW(stream.testHead(c.head, c.count));
        } else {
            // The link itself saw no error: no link text in front.
            EXPECT_RAISES(stream.testHead(c.head, c.count), "SRTestHeadError", c.debugText);
            EXPECT_EQ(srhost_callCount("SRError"), 0);
        }
    }
    expectNothingLeftOpen();
}

TEST_F(LinkStreamTest, GetFunctionModes) {
    ASSERT_TRUE(srhost_put(host.get(), SrValue::ofList({integer(1), integer(2), integer(3)})));
    ASSERT_TRUE(srhost_put(host.get(), SrValue::ofFunction("Rule", {str("k"), str("v")})));
    LinkStream stream(host.get());

    FunctionHead anyCount("List", -1);
    stream.getFunction(anyCount);
    EXPECT_EQ(anyCount.argumentCount(), 3);
    for (int i = 0; i < 3; ++i) {
        int value = 0;
        ASSERT_NE(SRGetInteger32(host.get(), &value), 0);
        EXPECT_EQ(value, i + 1);
    }

    FunctionHead anyHead("", 0);
    stream.getFunction(anyHead);
    EXPECT_EQ(anyHead.head(), "Rule");
    EXPECT_EQ(anyHead.argumentCount(), 2);
    EXPECT_EQ(stream.getString(), "k");
    EXPECT_EQ(stream.getString(), "v");
    expectNothingLeftOpen();
}

TEST_F(LinkStreamTest, AsciiStringsGoOutAsByteStrings) {
    struct Case {
        std::string text;
        const char* origin;
    };
    const std::vector<Case> cases{
        {"Duration", "SRPutByteString"},
        {"", "SRPutByteString"},
        {"tab\tand DEL\x7F", "SRPutByteString"},
        {"\xC3\xA9", "SRPutUTF8String"},
        {"caf\xC3\xA9", "SRPutUTF8String"},
    };
    LinkStream stream(host.get());
    for (const Case& c : cases) {
        stream.putString(c.text);
        const auto written = srhost_read(host.get());
        ASSERT_TRUE(written.has_value()) << c.text;
        EXPECT_EQ(*written, str(c.text));
        EXPECT_EQ(written->origin, c.origin) << c.text;
    }
    expectNothingLeftOpen();
}

TEST_F(LinkStreamTest, GetStringCopiesTheBytesAndHandsThemBack) {
    struct Case {
        std::string sent;
        bool unknownLengths;
        std::string expected;
    };
    const std::string withZero("a\0b", 3);
    const std::vector<Case> cases{
        {"/tmp/vid\xC3\xA9o \xE6\x97\xA5.mp4", false, "/tmp/vid\xC3\xA9o \xE6\x97\xA5.mp4"},
        {"/tmp/vid\xC3\xA9o \xE6\x97\xA5.mp4", true, "/tmp/vid\xC3\xA9o \xE6\x97\xA5.mp4"},
        {"", false, ""},
        {"", true, ""},
        // A given byte count is trusted; without one the bytes end at the zero.
        {withZero, false, withZero},
        {withZero, true, "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.sent) + (c.unknownLengths ? " unknown length" : ""));
        srhost_reset();
        srhost_setUnknownStringLengths(c.unknownLengths);
        ASSERT_TRUE(srhost_put(host.get(), str(c.sent)));
        LinkStream stream(host.get());
        EXPECT_EQ(stream.getString(), c.expected);
        EXPECT_EQ(srhost_callCount("SRReleaseUTF8String"), 1);
        expectNothingLeftOpen();
    }
}

}  // namespace
