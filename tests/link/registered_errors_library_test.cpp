// sendRegisteredErrors as a host calls it: the built library loaded with
// dlopen and initialised with the host's table, the call made on a host
// link of the link library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/sr64i4/sr_host.h"
#include "host/stand_in/host_stand_in.h"

namespace {

using SendRegisteredErrors = int (*)(KorvelLibraryData, SRLINK);

class RegisteredErrorsLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        handle = dlopen(MORVALE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        auto initialize = reinterpret_cast<int (*)(KorvelLibraryData)>(dlsym(handle, "KorvelLibrary_initialize"));
        ASSERT_NE(initialize, nullptr);
        ASSERT_EQ(initialize(korvel::hostLibraryData()), 0);
        send = reinterpret_cast<SendRegisteredErrors>(dlsym(handle, "sendRegisteredErrors"));
    }
    static void TearDownTestSuite() {
        if (handle != nullptr) dlclose(handle);
        handle = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(send, nullptr);
        srhost_reset();
    }

    // Calls sendRegisteredErrors with the given arguments; returns its code.
    int call(SRLINK link, const std::vector<SrValue>& arguments) {
        EXPECT_TRUE(srhost_putArguments(link, arguments));
        return send(korvel::hostLibraryData(), link);
    }

    static inline void* handle = nullptr;
    static inline SendRegisteredErrors send = nullptr;
};

struct Entry {
    long long code;
    std::string message;
};

// name -> {code, message}, checking the shape of every rule on the way.
std::map<std::string, Entry> entriesOf(const SrValue& association) {
    std::map<std::string, Entry> entries;
    EXPECT_TRUE(association.isFunction("Association"));
    for (const SrValue& rule : association.args) {
        EXPECT_TRUE(rule.isFunction("Rule") && rule.args.size() == 2) << ::testing::PrintToString(rule);
        if (!rule.isFunction("Rule") || rule.args.size() != 2) continue;
        const SrValue& name = rule.args[0];
        const SrValue& value = rule.args[1];
        const bool wellFormed = name.kind == SrValue::Kind::String && value.isFunction("List") &&
                                value.args.size() == 2 && value.args[0].kind == SrValue::Kind::Integer &&
                                value.args[1].kind == SrValue::Kind::String;
        EXPECT_TRUE(wellFormed) << ::testing::PrintToString(rule);
        if (!wellFormed) continue;
        EXPECT_TRUE(entries.emplace(name.text, Entry{value.args[0].integer, value.args[1].text}).second)
            << "name sent twice: " << name.text;
    }
    return entries;
}

TEST_F(RegisteredErrorsLibrary, SendsEveryRegisteredErrorOnceInOnePacket) {
    SrHostLink link;
    ASSERT_EQ(call(link.get(), {}), 0);
    const auto written = srhost_read(link.get());
    ASSERT_TRUE(written.has_value());
    const auto entries = entriesOf(*written);
    ASSERT_EQ(entries.size(), written->args.size());

    std::vector<long long> codes;
    for (const auto& [name, entry] : entries) codes.push_back(entry.code);
    std::sort(codes.begin(), codes.end());
    std::vector<long long> expected(109);
    std::iota(expected.begin(), expected.end(), -101LL);
    EXPECT_EQ(codes, expected) << "every code from 7 down to -101 exactly once";

    struct Known {
        const char* name;
        long long code;
        const char* message;
    };
    const Known known[] = {
        {"VersionError", 7,
         "An error was caused by an incompatible function call. The library was compiled with a previous "
         "KorvelLibrary version."},
        {"FunctionError", 6, "An error occurred in the library function."},
        {"NoError", 0, "No errors occurred."},
        {"ErrorManagerThrowNameError", -7, "An exception was thrown with a non-existent name."},
        {"SRTestHeadError", -27, "SRTestHead failed (wrong head or number of arguments)."},
        {"SRWrongSymbolForBool", -31, "Tried to read something else than \"True\" or \"False\" as boolean."},
        {"SRLoopbackStackSizeError", -46, "Loopback stack size too small to perform desired action."},
        {"ArgumentAddNodeMArgument", -53, "Trying to add DataStore Node of type MArgument (aka MType_Undef)"},
        {"ReaderInitializeError", -54, "Reader is already initialized"},
        {"MFInvalidFrameIndex", -74, "Error fetching the required fame."},
        {"DSInvalidFrameIndex", -100, "Error fetching the required fame."},
        {"DSEndOfFile", -101, "End of file reached."},
    };
    for (const Known& k : known) {
        const auto it = entries.find(k.name);
        ASSERT_NE(it, entries.end()) << k.name;
        EXPECT_EQ(it->second.code, k.code) << k.name;
        EXPECT_EQ(it->second.message, k.message) << k.name;
    }

    // One packet, then the flush.
    const SrPacketRecord packets = srhost_packetRecord(link.get());
    EXPECT_EQ(packets.newPackets + packets.endPackets + packets.flushes, 3);
    EXPECT_EQ(packets.events.back().call, "SRFlush");
    EXPECT_EQ(srhost_resultCount(link.get()), 0);
    EXPECT_EQ(srhost_liveErrorMessages(), 0);
}

TEST_F(RegisteredErrorsLibrary, SecondInitialisationChangesNoCode) {
    SrHostLink first;
    ASSERT_EQ(call(first.get(), {}), 0);
    const auto before = srhost_read(first.get());
    auto initialize = reinterpret_cast<int (*)(KorvelLibraryData)>(dlsym(handle, "KorvelLibrary_initialize"));
    ASSERT_EQ(initialize(korvel::hostLibraryData()), 0);
    SrHostLink second;
    ASSERT_EQ(call(second.get(), {}), 0);
    EXPECT_EQ(srhost_read(second.get()), before);
}

}  // namespace
