// Loopback links, transfer between links, packet records and link counts.
#include <memory>
#include <string>
#include <utility>
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

// Writes an expression whose argument count is known only at its end, the
// way the library builds associations: arguments collect on a loopback link,
// are counted by moving them one by one onto a fresh one, then follow their
// head onto the enclosing link.
class ExpressionBuilder {
public:
    explicit ExpressionBuilder(SRLINK host) { stack_.push_back({"", host}); }
    SRLINK current() const { return stack_.back().second; }
    void begin(const char* head) { stack_.push_back({head, openLoopback(current())}); }
    void end() {
        auto [head, collected] = stack_.back();
        stack_.pop_back();
        SRLINK counted = openLoopback(collected);
        int n = 0;
        while (SRTransferExpression(counted, collected) != 0) ++n;
        SRClose(collected);
        ASSERT_NE(SRPutFunction(current(), head.c_str(), n), 0);
        ASSERT_NE(SRTransferToEndOfLoopbackLink(current(), counted), 0);
        SRClose(counted);
    }
    void rule(const char* key, int value) {
        ASSERT_NE(SRPutFunction(current(), "Rule", 2), 0);
        ASSERT_NE(SRPutByteString(current(), reinterpret_cast<const unsigned char*>(key),
                                  static_cast<int>(std::string(key).size())), 0);
        ASSERT_NE(SRPutInteger32(current(), value), 0);
    }

private:
    std::vector<std::pair<std::string, SRLINK>> stack_;
};

TEST(SrTransfer, AssociationOfAssociationBuiltOnLoopbacksArrivesWhole) {
    SrHostLink host;
    ExpressionBuilder out(host.get());
    out.begin("Association");
    out.rule("a", 1);
    ASSERT_NE(SRPutFunction(out.current(), "Rule", 2), 0);
    ASSERT_NE(SRPutInteger32(out.current(), 2), 0);
    out.begin("Association");
    out.rule("x", 10);
    out.rule("y", 20);
    out.rule("z", 30);
    out.end();
    EXPECT_EQ(srhost_openLoopbackLinks(), 1);
    EXPECT_EQ(srhost_resultCount(host.get()), 0);  // nothing reaches the host before the outer end
    out.end();

    const auto got = srhost_read(host.get());
    ASSERT_TRUE(got);
    EXPECT_EQ(srhost_toJson(*got), R"({"a":1,"2":{"x":10,"y":20,"z":30}})");
    EXPECT_EQ(got->args[1].args[1].args.size(), 3u);
    EXPECT_EQ(srhost_openLoopbackLinks(), 0);
    EXPECT_EQ(srhost_openLinks(), 1);
}

TEST(SrTransfer, EmptyExpressionIsItsHeadWithCountZero) {
    SrHostLink host;
    ExpressionBuilder out(host.get());
    out.begin("Association");
    out.end();
    EXPECT_EQ(srhost_read(host.get()), SrValue::ofAssociation({}));
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

TEST(SrPackets, PacketCallsAreRecordedWithTheExpressionsBeforeThem) {
    SrHostLink host;
    SRLINK l = host.get();
    ASSERT_NE(SRNewPacket(l), 0);
    ASSERT_NE(SRPutFunction(l, "List", 1), 0);
    ASSERT_NE(SRPutInteger32(l, 1), 0);
    ASSERT_NE(SREndPacket(l), 0);
    ASSERT_NE(SRFlush(l), 0);
    const SrPacketRecord record = srhost_packetRecord(l);
    EXPECT_EQ(record.newPackets, 1);
    EXPECT_EQ(record.endPackets, 1);
    EXPECT_EQ(record.flushes, 1);
    ASSERT_EQ(record.events.size(), 3u);
    EXPECT_EQ(record.events[0].call, "SRNewPacket");
    EXPECT_EQ(record.events[0].expressionsBefore, 0);
    EXPECT_EQ(record.events[1].call, "SREndPacket");
    EXPECT_EQ(record.events[1].expressionsBefore, 1);
    EXPECT_EQ(record.events[2].call, "SRFlush");
    EXPECT_EQ(record.events[2].expressionsBefore, 1);
}

TEST(SrPackets, PacketFramingOutOfOrderIsRefused) {
    SrHostLink host;
    SRLINK l = host.get();
    EXPECT_EQ(SREndPacket(l), 0);
    EXPECT_EQ(takeError(l).code, SR_ERR_PACKET);
    ASSERT_NE(SRNewPacket(l), 0);
    EXPECT_EQ(SRNewPacket(l), 0);
    EXPECT_EQ(takeError(l).code, SR_ERR_PACKET);
    ASSERT_NE(SRPutFunction(l, "Association", 2), 0);
    EXPECT_EQ(SREndPacket(l), 0);  // the association still lacks its rules
    EXPECT_EQ(takeError(l).code, SR_ERR_PACKET);
    EXPECT_EQ(srhost_packetRecord(l).endPackets, 0);
}

}  // namespace
