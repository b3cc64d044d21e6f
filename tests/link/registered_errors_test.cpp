// sendRegisteredErrors linked with the registry: the association holds
// exactly the registry, framed in one packet; a wrong argument list writes
// nothing; a failing link call returns its error's code and leaves the
// packet unfinished.
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "bridge/error_manager.h"
#include "bridge/korvel_library.h"
#include "bridge/library_errors.h"
#include "link_test_support.h"

extern "C" int sendRegisteredErrors(KorvelLibraryData libData, SRLINK link);

namespace {

using namespace TravexUtils;
using link_test::HostLinkTest;

class RegisteredErrors : public HostLinkTest {
protected:
    void SetUp() override {
        HostLinkTest::SetUp();
        registerLibraryErrorTables();
    }
    static int codeOf(const char* name) { return ErrorManager::findError(name).id(); }
};

TEST_F(RegisteredErrors, AssociationHoldsExactlyTheRegistryInOnePacket) {
    ASSERT_TRUE(srhost_putArguments(host.get(), {}));
    ASSERT_EQ(sendRegisteredErrors(nullptr, host.get()), 0);

    const auto written = srhost_read(host.get());
    ASSERT_TRUE(written.has_value());
    ASSERT_TRUE(written->isFunction("Association"));
    const auto& registry = ErrorManager::errors();
    ASSERT_EQ(written->args.size(), registry.size());

    // Rules follow the registry's own order, one per entry.
    auto entry = registry.begin();
    for (const SrValue& r : written->args) {
        const TravexError& error = entry->second;
        ASSERT_EQ(r, SrValue::ofRule(SrValue::ofString(entry->first),
                                     SrValue::ofList({SrValue::ofInteger(error.id()),
                                                      SrValue::ofString(error.message())})));
        EXPECT_EQ(r.args[1].args[0].origin, "SRPutInteger32");
        ++entry;
    }

    const SrPacketRecord packets = srhost_packetRecord(host.get());
    ASSERT_EQ(packets.events.size(), 3u);
    EXPECT_EQ(packets.events[0].call, "SRNewPacket");
    EXPECT_EQ(packets.events[0].expressionsBefore, 0);
    EXPECT_EQ(packets.events[1].call, "SREndPacket");
    EXPECT_EQ(packets.events[1].expressionsBefore, 1);
    EXPECT_EQ(packets.events[2].call, "SRFlush");
    EXPECT_EQ(packets.events[2].expressionsBefore, 1);
    EXPECT_EQ(srhost_resultCount(host.get()), 0);
    EXPECT_EQ(srhost_unreadCount(host.get()), 0);
    expectNothingLeftOpen();
}

TEST_F(RegisteredErrors, WrongArgumentListWritesNothing) {
    const std::vector<SrValue> sent{
        SrValue::ofList({SrValue::ofString("extra")}),
        SrValue::ofString("not a list"),
        SrValue::ofAssociation({}),
    };
    for (const SrValue& arguments : sent) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        srhost_reset();
        SrHostLink link;
        ASSERT_TRUE(srhost_put(link.get(), arguments));
        EXPECT_EQ(sendRegisteredErrors(nullptr, link.get()), codeOf("SRTestHeadError"));
        EXPECT_EQ(srhost_read(link.get()), std::nullopt);
        EXPECT_EQ(srhost_partial(link.get()), std::nullopt);
        EXPECT_TRUE(srhost_packetRecord(link.get()).events.empty());
        EXPECT_EQ(srhost_liveErrorMessages(), 0);
        EXPECT_EQ(SRError(link.get()), 0);
    }
}

TEST_F(RegisteredErrors, FailingLinkCallReturnsItsErrorsCode) {
    struct Case {
        const char* failing;
        int k;
        const char* error;
        int rulesBegun;  // of the association left on the host link; -1: none begun
        int endPackets;
    };
    const Case cases[] = {
        {"SRNewPacket", 1, "SRPacketHandleError", -1, 0},
        {"SRPutFunction", 1, "SRPutFunctionError", -1, 0},  // the association's head
        {"SRPutFunction", 2, "SRPutFunctionError", 0, 0},   // the first rule
        {"SRPutFunction", 3, "SRPutFunctionError", 1, 0},   // the first code and message
        {"SRPutByteString", 1, "SRPutStringError", 1, 0},
        {"SRPutByteString", 60, "SRPutStringError", 30, 0},
        {"SRPutInteger32", 50, "SRPutScalarError", 50, 0},
        {"SRPutInteger32", 109, "SRPutScalarError", 109, 0},
        {"SREndPacket", 1, "SRPacketHandleError", -1, 0},
        {"SRFlush", 1, "SRFlowControlError", -1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.failing) + " #" + std::to_string(c.k));
        srhost_reset();
        SrHostLink link;
        ASSERT_TRUE(srhost_putArguments(link.get(), {}));
        srhost_failCall(c.failing, c.k, 4, "injected");
        EXPECT_EQ(sendRegisteredErrors(nullptr, link.get()), codeOf(c.error));
        EXPECT_EQ(srhost_callCount(c.failing), c.k);
        const auto partial = srhost_partial(link.get());
        ASSERT_EQ(partial.has_value(), c.rulesBegun >= 0);
        if (partial) {
            // Whole rules before the failing one, which waits for what failed.
            ASSERT_TRUE(partial->isFunction("Association"));
            ASSERT_EQ(partial->args.size(), static_cast<size_t>(c.rulesBegun));
            if (c.rulesBegun > 1) {
                EXPECT_EQ(partial->args[c.rulesBegun - 2].args.at(1).args.size(), 2u);
            }
        }
        const SrPacketRecord packets = srhost_packetRecord(link.get());
        EXPECT_EQ(packets.endPackets, c.endPackets);
        EXPECT_EQ(packets.flushes, 0);
        EXPECT_EQ(srhost_liveErrorMessages(), 0);
        EXPECT_EQ(SRError(link.get()), 0);
    }
}

}  // namespace
