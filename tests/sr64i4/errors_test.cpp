// Per-link error state, error-message strings, failure injection and the
// call record.
#include <functional>
#include <string>
#include <vector>

#include "link_fixture.h"

namespace {

TEST(SrErrors, FailedCallSetsErrorUntilClearedAndChangesNothingElse) {
    SrHostLink host;
    SRLINK l = host.get();
    ASSERT_TRUE(srhost_putArguments(l, {SrValue::ofString("p")}));
    int n = -1;
    EXPECT_EQ(SRTestHead(l, "Association", &n), 0);
    EXPECT_EQ(n, -1);
    EXPECT_EQ(SRError(l), SR_ERR_HEAD);

    // A later successful call leaves the error in place.
    ASSERT_NE(SRTestHead(l, "List", &n), 0);
    EXPECT_EQ(n, 1);
    const LinkError error = takeError(l);
    EXPECT_EQ(error.code, SR_ERR_HEAD);
    EXPECT_NE(error.message.find("\"Association\""), std::string::npos) << error.message;
    EXPECT_NE(error.message.find("\"List\""), std::string::npos) << error.message;

    EXPECT_EQ(SRError(l), SR_ERR_NONE);
    EXPECT_EQ(takeError(l).message, "no error");
}

TEST(SrErrors, ErrorMessagesLiveUntilReleasedEvenPastTheirLink) {
    SrHostLink host;
    const char* a = SRErrorMessage(host.get());
    const char* b = SRErrorMessage(host.get());
    EXPECT_NE(a, b);
    EXPECT_EQ(srhost_liveErrorMessages(), 2);
    SRReleaseErrorMessage(host.get(), a);
    EXPECT_EQ(srhost_liveErrorMessages(), 1);
    {
        Loopback loop;
        const char* c = SRErrorMessage(loop.get());
        SRClose(loop.get());
        SRReleaseErrorMessage(loop.get(), c);  // the link is gone, the message is not
    }
    SRReleaseErrorMessage(host.get(), a);  // twice
    EXPECT_EQ(srhost_misuse().badReleases, 1);
    SRReleaseErrorMessage(host.get(), b);
    EXPECT_EQ(srhost_liveErrorMessages(), 0);
}

TEST(SrErrors, ReadingAnErrorCallsTheErrorFunctionsInOrder) {
    SrHostLink host;
    srhost_reset();
    takeError(host.get());
    EXPECT_EQ(srhost_callLog(),
              (std::vector<std::string>{"SRError", "SRErrorMessage", "SRReleaseErrorMessage", "SRClearError"}));
    EXPECT_EQ(srhost_callCount("SRReleaseErrorMessage"), 1);
    EXPECT_EQ(srhost_callCount("SRClearError"), 1);
    EXPECT_EQ(srhost_callCount("SRPutFunction"), 0);
}

TEST(SrInjection, KthCallFailsWithTheGivenCodeAndMessageAndDoesNothing) {
    SrHostLink host;
    SRLINK l = host.get();
    ASSERT_NE(SRPutInteger32(l, 0), 0);  // calls before the rule do not count
    srhost_failCall("SRPutInteger32", 2, 3, "x");
    EXPECT_NE(SRPutInteger32(l, 1), 0);
    EXPECT_EQ(SRPutInteger32(l, 2), 0);
    const LinkError error = takeError(l);
    EXPECT_EQ(error.code, 3);
    EXPECT_EQ(error.message, "x");
    EXPECT_NE(SRPutInteger32(l, 3), 0);  // one failure only
    std::vector<SrValue> got;
    while (auto v = srhost_read(l)) got.push_back(*v);
    EXPECT_EQ(got, (std::vector<SrValue>{SrValue::ofInteger(0), SrValue::ofInteger(1), SrValue::ofInteger(3)}));
    EXPECT_EQ(srhost_callCount("SRPutInteger32"), 4);
}

TEST(SrInjection, NegativeCodesAndResetWork) {
    SrHostLink host;
    srhost_failCall("SRFlush", 1, -5, "negative");
    EXPECT_EQ(SRFlush(host.get()), 0);
    EXPECT_EQ(takeError(host.get()).code, -5);
    srhost_failCall("SRFlush", 1, 9, "forgotten");
    srhost_reset();
    EXPECT_NE(SRFlush(host.get()), 0);
    EXPECT_EQ(srhost_callCount("SRFlush"), 1);
}

struct InjectedCall {
    const char* function;
    std::function<int(SRLINK host, SRLINK loop)> call;
};

// Every call the library makes can be made to fail; the failing call leaves
// the link as it was and reports the injected error on its (first) link.
TEST(SrInjection, EveryStatusCallOfTheLibraryCanBeMadeToFail) {
    static const unsigned char text[] = "ab";
    const InjectedCall cases[] = {
        {"SRPutFunction", [](SRLINK h, SRLINK) { return SRPutFunction(h, "Rule", 2); }},
        {"SRTestHead", [](SRLINK h, SRLINK) { int n = 0; return SRTestHead(h, "List", &n); }},
        {"SRGetFunction",
         [](SRLINK h, SRLINK) { const char* s = nullptr; int n = 0; return SRGetFunction(h, &s, &n); }},
        {"SRPutUTF8String", [](SRLINK h, SRLINK) { return SRPutUTF8String(h, text, 2); }},
        {"SRPutByteString", [](SRLINK h, SRLINK) { return SRPutByteString(h, text, 2); }},
        {"SRPutInteger64", [](SRLINK h, SRLINK) { return SRPutInteger64(h, 1); }},
        {"SRPutReal64", [](SRLINK h, SRLINK) { return SRPutReal64(h, 1); }},
        {"SRNewPacket", [](SRLINK h, SRLINK) { return SRNewPacket(h); }},
        {"SRFlush", [](SRLINK h, SRLINK) { return SRFlush(h); }},
        {"SRTransferExpression", [](SRLINK h, SRLINK l) { return SRTransferExpression(h, l); }},
        {"SRTransferToEndOfLoopbackLink", [](SRLINK h, SRLINK l) { return SRTransferToEndOfLoopbackLink(h, l); }},
    };
    for (const InjectedCall& c : cases) {
        SCOPED_TRACE(c.function);
        SrHostLink host;
        Loopback loop;
        ASSERT_TRUE(srhost_putArguments(host.get(), {}));
        ASSERT_TRUE(srhost_put(loop.get(), SrValue::ofInteger(1)));
        srhost_failCall(c.function, 1, 42, c.function);
        EXPECT_EQ(c.call(host.get(), loop.get()), 0);
        const LinkError error = takeError(host.get());
        EXPECT_EQ(error.code, 42);
        EXPECT_EQ(error.message, c.function);
        EXPECT_EQ(srhost_unreadCount(host.get()), 1);
        EXPECT_EQ(srhost_resultCount(host.get()), 0);
        EXPECT_FALSE(srhost_partial(host.get()));
        EXPECT_EQ(srhost_packetRecord(host.get()).events.size(), 0u);
        EXPECT_EQ(srhost_resultCount(loop.get()), 1);
        EXPECT_NE(c.call(host.get(), loop.get()), 0);  // the next call goes through
        srhost_reset();
    }
}

TEST(SrInjection, EnvironmentLookupCanFail) {
    SrHostLink host;
    srhost_failCall("SRLinkEnvironment", 1, 8, "no environment");
    EXPECT_EQ(SRLinkEnvironment(host.get()), nullptr);
    EXPECT_EQ(takeError(host.get()).message, "no environment");
    EXPECT_NE(SRLinkEnvironment(host.get()), nullptr);
}

}  // namespace
