// Loopback links, transfer between links, packet records and link counts.
#include <memory>
#include <string>
#include <vector>

#include "link_fixture.h"

namespace {

SrValue str(const char* s) { return SrValue::ofString(s); }
SrValue num(long long n) { return SrValue::ofInteger(n); }

SRLINK openLoopback(SRLINK near) {
    int code = -1;
    SRLINK l = SRLoopbackOpen(SRLinkEnvironment(near), &code);
    EXPECT_EQ(code, 0);
    return l;
}

TEST(SrTransfer, TransferExpressionMovesWholeExpressionsInOrderAndReportsTheEnd) {
    Loopback source;
    Loopback target;
    const std::vector<SrValue> items = {num(1), SrValue::ofList({str("a"), SrValue::ofList({num(2)})}), str("z")};
    for (const SrValue& item : items) ASSERT_TRUE(srhost_put(source.get(), item));

    int moved = 0;
    while (SRTransferExpression(target.get(), source.get()) != 0) ++moved;
    EXPECT_EQ(moved, 3);
    EXPECT_EQ(takeError(source.get()).code, SR_ERR_EMPTY);  // the end is the source's
    EXPECT_EQ(SRError(target.get()), SR_ERR_NONE);
    for (const SrValue& item : items) EXPECT_EQ(srhost_read(target.get()), item);
    EXPECT_FALSE(srhost_read(target.get()));
}

TEST(SrTransfer, TransferAfterTestHeadMovesTheNextArgument) {
    Loopback source;
    Loopback target;
    ASSERT_TRUE(srhost_put(source.get(), SrValue::ofList({SrValue::ofRule(str("k"), num(1)), num(2)})));
    int n = 0;
    ASSERT_NE(SRTestHead(source.get(), "List", &n), 0);
    ASSERT_NE(SRTransferExpression(target.get(), source.get()), 0);
    EXPECT_EQ(srhost_read(target.get()), SrValue::ofRule(str("k"), num(1)));
    EXPECT_EQ(srhost_read(source.get()), num(2));
}

TEST(SrTransfer, TransferToEndFillsAnOpenHeadOnTheDestination) {
    SrHostLink host;
    Loopback rules;
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(SRPutFunction(rules.get(), "Rule", 2), 0);
        ASSERT_NE(SRPutInteger32(rules.get(), i), 0);
        ASSERT_NE(SRPutReal64(rules.get(), i + 0.5), 0);
    }
    ASSERT_NE(SRPutFunction(host.get(), "Association", 2), 0);
    ASSERT_NE(SRTransferToEndOfLoopbackLink(host.get(), rules.get()), 0);
    EXPECT_EQ(srhost_read(host.get()),
              SrValue::ofAssociation({SrValue::ofRule(num(0), SrValue::ofReal(0.5)),
                                      SrValue::ofRule(num(1), SrValue::ofReal(1.5))}));
    EXPECT_EQ(srhost_resultCount(rules.get()), 0);
}

TEST(SrTransfer, TransferToEndNeedsALoopbackSource) {
    SrHostLink host;
    Loopback target;
    ASSERT_TRUE(srhost_putArguments(host.get(), {}));
    EXPECT_EQ(SRTransferToEndOfLoopbackLink(target.get(), host.get()), 0);
    EXPECT_EQ(takeError(target.get()).code, SR_ERR_NOT_LOOPBACK);
    EXPECT_EQ(srhost_unreadCount(host.get()), 1);
}

TEST(SrLinks, OpenLinksAreCountedUntilClosed) {
    EXPECT_EQ(srhost_openLinks(), 0);
    auto host = std::make_unique<SrHostLink>();
    SRLINK a = openLoopback(host->get());
    SRLINK b = openLoopback(a);
    EXPECT_EQ(SRLinkEnvironment(a), SRLinkEnvironment(host->get()));
    EXPECT_EQ(srhost_openLinks(), 3);
    EXPECT_EQ(srhost_openLoopbackLinks(), 2);
    SRClose(a);
    SRClose(b);
    EXPECT_EQ(srhost_openLoopbackLinks(), 0);
    host.reset();
    EXPECT_EQ(srhost_openLinks(), 0);
    EXPECT_EQ(srhost_misuse().invalidHandles, 0);
}

TEST(SrLinks, HostLinkCannotBeClosedByTheLibrary) {
    SrHostLink host;
    SRClose(host.get());
    EXPECT_EQ(srhost_openLinks(), 1);
    EXPECT_EQ(srhost_misuse().hostLinkCloses, 1);
    EXPECT_EQ(takeError(host.get()).code, SR_ERR_HOST_LINK);
    EXPECT_NE(SRPutInteger32(host.get(), 1), 0);
}

TEST(SrLinks, ClosedLinkIsRefusedNotDereferenced) {
    SrHostLink host;
    SRLINK l = openLoopback(host.get());
    SRClose(l);
    EXPECT_EQ(SRPutInteger32(l, 1), 0);
    EXPECT_EQ(SRError(l), SR_ERR_INVALID_LINK);
    SRClose(l);
    EXPECT_EQ(srhost_misuse().invalidHandles, 3);
}

TEST(SrLinks, LoopbackOpenNeedsTheEnvironment) {
    int code = 0;
    EXPECT_EQ(SRLoopbackOpen(nullptr, &code), nullptr);
    EXPECT_EQ(code, SR_ERR_ARGUMENT);
    srhost_failCall("SRLoopbackOpen", 1, 77, "no loopback today");
    SrHostLink host;
    EXPECT_EQ(SRLoopbackOpen(SRLinkEnvironment(host.get()), &code), nullptr);
    EXPECT_EQ(code, 77);
    EXPECT_EQ(srhost_openLoopbackLinks(), 0);
}

// Packet calls in order and out of it. Each step is one call on a fresh host
// link; a refused call leaves SR_ERR_PACKET and records nothing. A flush
// needs no packet and may come while one is open.
TEST(SrPackets, CallsAreRecordedWithTheExpressionsBeforeThemOrRefused) {
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

TEST(SrPackets, EachCallRecordsTheExpressionsCompletedBeforeIt) {
    SrHostLink host;
    const SRLINK l = host.get();
    ASSERT_NE(SRFlush(l), 0);
    ASSERT_NE(SRNewPacket(l), 0);
    ASSERT_NE(SRPutFunction(l, "List", 1), 0);
    ASSERT_NE(SRFlush(l), 0);  // the List is not complete yet
    ASSERT_NE(SRPutInteger32(l, 1), 0);
    ASSERT_NE(SREndPacket(l), 0);
    ASSERT_NE(SRFlush(l), 0);
    std::vector<long long> before;
    for (const SrPacketEvent& event : srhost_packetRecord(l).events) before.push_back(event.expressionsBefore);
    EXPECT_EQ(before, (std::vector<long long>{0, 0, 0, 1, 1}));
    EXPECT_EQ(srhost_packetRecord(l).flushes, 3);
}

}  // namespace
