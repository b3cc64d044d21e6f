// What the link tests rely on the stand-in to get right about links, where
// a fault of the stand-in would let a fault of the library pass: open links
// counted and misuse caught, packet calls recorded or refused, the per-link
// error state and its messages, and injected failures that change nothing
// but the error. (Transfers between links show in every nested expression
// the link tests read back.)
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link_fixture.h"

namespace {

SrValue num(long long n) { return SrValue::ofInteger(n); }

// Links are counted until closed; the library may not close the host's
// link, and a closed link is refused rather than dereferenced.
TEST(SrLinks, OpenLinksAreCountedAndMisuseIsCaught) {
    auto host = std::make_unique<SrHostLink>();
    int code = -1;
    SRLINK a = SRLoopbackOpen(SRLinkEnvironment(host->get()), &code);
    EXPECT_EQ(code, 0);
    SRLINK b = SRLoopbackOpen(SRLinkEnvironment(a), &code);
    EXPECT_EQ(SRLinkEnvironment(a), SRLinkEnvironment(host->get()));
    EXPECT_EQ(srhost_openLinks(), 3);
    EXPECT_EQ(srhost_openLoopbackLinks(), 2);
    SRClose(a);
    SRClose(b);
    EXPECT_EQ(srhost_openLoopbackLinks(), 0);
    EXPECT_EQ(srhost_misuse().invalidHandles, 0);

    SRClose(host->get());
    EXPECT_EQ(srhost_openLinks(), 1);
    EXPECT_EQ(srhost_misuse().hostLinkCloses, 1);
    EXPECT_EQ(takeError(host->get()).code, SR_ERR_HOST_LINK);
    EXPECT_NE(SRPutInteger32(host->get(), 1), 0);

    EXPECT_EQ(SRPutInteger32(a, 1), 0);
    EXPECT_EQ(SRError(a), SR_ERR_INVALID_LINK);
    SRClose(a);
    EXPECT_EQ(srhost_misuse().invalidHandles, 3);
    host.reset();
    EXPECT_EQ(srhost_openLinks(), 0);
}

// Packet calls in order and out of it. Each step is one call on a fresh host
// link; a refused call leaves SR_ERR_PACKET and records nothing. A flush
// needs no packet and may come while one is open.
TEST(SrLinks, PacketCallsAreRecordedOrRefused) {
    struct Step {
        const char* call;  // "New", "End", "Flush" or "Open" (a List head still waiting for its argument)
        bool accepted;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::string> recorded;
    };
    const Case cases[] = {
        {"framed reply", {{"New", true}, {"Open", true}, {"End", false}, {"Flush", true}},
         {"SRNewPacket", "SRFlush"}},
        {"end without a packet", {{"End", false}, {"Flush", true}, {"Flush", true}}, {"SRFlush", "SRFlush"}},
        {"second new packet", {{"New", true}, {"New", false}, {"End", true}}, {"SRNewPacket", "SREndPacket"}},
        {"flush inside a packet", {{"New", true}, {"Flush", true}, {"End", true}, {"End", false}},
         {"SRNewPacket", "SRFlush", "SREndPacket"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SrHostLink host;
        const SRLINK l = host.get();
        for (const Step& step : c.steps) {
            const std::string call = step.call;
            int result = 0;
            if (call == "New") result = SRNewPacket(l);
            if (call == "End") result = SREndPacket(l);
            if (call == "Flush") result = SRFlush(l);
            if (call == "Open") result = SRPutFunction(l, "List", 1);
            EXPECT_EQ(result != 0, step.accepted) << call;
            EXPECT_EQ(takeError(l).code, step.accepted ? SR_ERR_NONE : SR_ERR_PACKET) << call;
        }
        const SrPacketRecord record = srhost_packetRecord(l);
        std::vector<std::string> recorded;
        for (const SrPacketEvent& event : record.events) recorded.push_back(event.call);
        EXPECT_EQ(recorded, c.recorded);
        EXPECT_EQ(record.newPackets + record.endPackets + record.flushes, static_cast<int>(recorded.size()));
    }
}

// A failed call sets the link's error, which stays through later successes
// until cleared; its message names what was expected and what was there.
TEST(SrErrors, FailedCallSetsErrorUntilCleared) {
    SrHostLink host;
    SRLINK l = host.get();
    ASSERT_TRUE(srhost_putArguments(l, {SrValue::ofString("p")}));
    int n = -1;
    EXPECT_EQ(SRTestHead(l, "Association", &n), 0);
    EXPECT_EQ(n, -1);
    EXPECT_EQ(SRError(l), SR_ERR_HEAD);
    ASSERT_NE(SRTestHead(l, "List", &n), 0);
    EXPECT_EQ(n, 1);
    const LinkError error = takeError(l);
    EXPECT_EQ(error.code, SR_ERR_HEAD);
    EXPECT_NE(error.message.find("\"Association\""), std::string::npos) << error.message;
    EXPECT_NE(error.message.find("\"List\""), std::string::npos) << error.message;
    EXPECT_EQ(SRError(l), SR_ERR_NONE);
    EXPECT_EQ(takeError(l).message, "no error");
}

TEST(SrErrors, ErrorMessagesAreCountedUntilReleasedEvenPastTheirLink) {
    SrHostLink host;
    const char* a = SRErrorMessage(host.get());
    const char* b = SRErrorMessage(host.get());
    EXPECT_NE(a, b);
    EXPECT_EQ(srhost_liveErrorMessages(), 2);
    SRReleaseErrorMessage(host.get(), a);
    {
        Loopback loop;
        const char* c = SRErrorMessage(loop.get());
        SRClose(loop.get());
        SRReleaseErrorMessage(loop.get(), c);  // the link is gone, the message is not
    }
    EXPECT_EQ(srhost_liveErrorMessages(), 1);
    SRReleaseErrorMessage(host.get(), a);  // twice
    EXPECT_EQ(srhost_misuse().badReleases, 1);
    SRReleaseErrorMessage(host.get(), b);
    EXPECT_EQ(srhost_liveErrorMessages(), 0);
}

TEST(SrErrors, OnlyTheKthCallFailsWithTheGivenCodeAndMessage) {
    SrHostLink host;
    SRLINK l = host.get();
    ASSERT_NE(SRPutInteger32(l, 0), 0);  // calls before the rule do not count
    srhost_failCall("SRPutInteger32", 2, -3, "x");
    EXPECT_NE(SRPutInteger32(l, 1), 0);
    EXPECT_EQ(SRPutInteger32(l, 2), 0);
    const LinkError error = takeError(l);
    EXPECT_EQ(error.code, -3);
    EXPECT_EQ(error.message, "x");
    EXPECT_NE(SRPutInteger32(l, 3), 0);  // one failure only
    std::vector<SrValue> got;
    while (auto v = srhost_read(l)) got.push_back(*v);
    EXPECT_EQ(got, (std::vector<SrValue>{num(0), num(1), num(3)}));
    EXPECT_EQ(srhost_callCount("SRPutInteger32"), 4);
}

struct InjectedCall {
    const char* function;
    std::function<int(SRLINK host, SRLINK loop)> call;
};

// An injected failure (applied alike to every call, before its body) leaves
// both links as they were and reports the error on the call's first link.
TEST(SrErrors, AnInjectedFailureChangesNothingButTheError) {
    const InjectedCall cases[] = {
        {"SRPutFunction", [](SRLINK h, SRLINK) { return SRPutFunction(h, "Rule", 2); }},
        {"SRTestHead", [](SRLINK h, SRLINK) { int n = 0; return SRTestHead(h, "List", &n); }},
        {"SRPutReal64", [](SRLINK h, SRLINK) { return SRPutReal64(h, 1); }},
        {"SRNewPacket", [](SRLINK h, SRLINK) { return SRNewPacket(h); }},
        {"SRTransferExpression", [](SRLINK h, SRLINK l) { return SRTransferExpression(h, l); }},
        {"SRTransferToEndOfLoopbackLink", [](SRLINK h, SRLINK l) { return SRTransferToEndOfLoopbackLink(h, l); }},
    };
    for (const InjectedCall& c : cases) {
        SCOPED_TRACE(c.function);
        SrHostLink host;
        Loopback loop;
        ASSERT_TRUE(srhost_putArguments(host.get(), {}));
        ASSERT_TRUE(srhost_put(loop.get(), num(1)));
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

}  // namespace
