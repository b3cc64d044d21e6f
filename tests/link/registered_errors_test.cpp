// sendRegisteredErrors linked with the registry: the association holds
// exactly the registry, each name with its code and message, framed in one
// packet; a wrong argument list writes nothing; a failing link call returns
// its error's code and leaves the packet unfinished. (korvel and the export
// tests call it through the loaded library.)
#include <algorithm>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "bridge/error_manager.h"
#include "tests/support/error_expectations.h"
#include "bridge/korvel_library.h"
#include "bridge/library_errors.h"
#include "link_test_support.h"

extern "C" int sendRegisteredErrors(KorvelLibraryData libData, SRLINK link);

namespace {

using namespace TravexUtils;
using link_test::HostLinkTest;
using morvale_test::codeOf;

class RegisteredErrors : public HostLinkTest {
protected:
    void SetUp() override {
        HostLinkTest::SetUp();
        registerLibraryErrorTables();
    }
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

    // The registry itself: the host's codes 7 down to 0, then every
    // registered name from -1 down to -101, in the order of the tables.
    std::vector<long long> codes;
    for (const auto& [name, error] : registry) codes.push_back(error.id());
    std::sort(codes.begin(), codes.end());
    std::vector<long long> expected(109);
    std::iota(expected.begin(), expected.end(), -101LL);
    EXPECT_EQ(codes, expected) << "every code from 7 down to -101 exactly once";
    struct Known {
        const char* name;
        int code;
        const char* message;
    };
    const Known known[] = {
        {"VersionError", 7,
         "An error was caused by an incompatible function call. The library was compiled with a previous "
         "KorvelLibrary version."},
        {"FunctionError", 6, "An error occurred in the library function."},
        {"MemoryError", 5, "An error was caused by failed memory allocation or insufficient memory."},
        {"NumericalError", 4, "A numerical error was encountered."},
        {"TypeError", 1, "An error caused by inconsistent types was encountered."},
        {"NoError", 0, "No errors occurred."},
        {"MArgumentInitError", -1, "MArgumentManager construction failed."},
        {"ErrorManagerThrowNameError", -7, "An exception was thrown with a non-existent name."},
        {"TensorTypeError", -18, "An error was caused by an MTensor type mismatch."},
        {"SRTestHeadError", -27, "SRTestHead failed (wrong head or number of arguments)."},
        {"SRWrongSymbolForBool", -31, "Tried to read something else than \"True\" or \"False\" as boolean."},
        {"SRLoopbackStackSizeError", -46, "Loopback stack size too small to perform desired action."},
        {"DLNullRawNode", -47, "DataStoreNode passed to Node wrapper was null"},
        {"ArgumentAddNodeMArgument", -53, "Trying to add DataStore Node of type MArgument (aka MType_Undef)"},
        {"ReaderInitializeError", -54, "Reader is already initialized"},
        {"BitRateError", -57, "Invalid BitRate value"},
        {"MFNullPointerError", -58, "Error expected a non-null pointer."},
        {"MFropertySetError", -59, "Error setting a property."},
        {"MFInvalidFrameIndex", -74, "Error fetching the required fame."},
        {"MFEndOfFile", -75, "End of file reached."},
        {"DSLibraryStartError", -76, "Error starting library."},
        {"DSConntectFilterError", -93, "Error connecting grabber and null filters."},
        {"DSInvalidFrameIndex", -100, "Error fetching the required fame."},
        {"DSEndOfFile", -101, "End of file reached."},
    };
    for (const Known& k : known) {
        const TravexError& error = ErrorManager::findError(k.name);
        EXPECT_EQ(error.id(), k.code) << k.name;
        EXPECT_EQ(error.message(), k.message) << k.name;
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
