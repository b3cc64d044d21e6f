// Link failures become registered errors: the link's code and message in
// front of the operation's note, the link's error read once, its message
// handed back and the error cleared.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/link_status.h"
#include "link/link_stream.h"
#include "link_test_support.h"
#include "tests/support/error_expectations.h"

namespace {

using namespace TravexUtils;
using link_test::HostLinkTest;
using link_test::linkText;

using LinkStatus = HostLinkTest;

// Every stream operation that calls the link reports its own registered
// error, the link's code and message (whatever they are) in front of its
// note. The link's error is read once, then the message goes back before
// the error is cleared.
TEST_F(LinkStatus, EachStreamOperationNamesItsErrorAndNote) {
    struct Case {
        const char* failing;
        std::function<void(LinkStream&)> operation;
        const char* error;
        std::string note;
        int code = 7;
        const char* message = "injected";
    };
    const std::vector<Case> cases{
        {"SRPutInteger32", [](LinkStream& s) { s.putScalar(int32_t{1}); }, "SRPutScalarError", "SRPutInteger32",
         INT32_MAX, "with \"quotes\"\nand a line break"},
        {"SRPutInteger64", [](LinkStream& s) { s.putScalar(1LL); }, "SRPutScalarError", "SRPutInteger64", -12, "x"},
        {"SRPutReal64", [](LinkStream& s) { s.putScalar(1.0); }, "SRPutScalarError", "SRPutReal64"},
        {"SRPutByteString", [](LinkStream& s) { s.putString("Duration"); }, "SRPutStringError",
         "SRPut(UTF8/Byte)String"},
        {"SRPutUTF8String", [](LinkStream& s) { s.putString("\xC3\xA9"); }, "SRPutStringError",
         "SRPut(UTF8/Byte)String"},
        {"SRGetUTF8String", [](LinkStream& s) { s.getString(); }, "SRGetStringError", "SRGetUTF8String"},
        {"SRPutFunction", [](LinkStream& s) { s.putRule(); }, "SRPutFunctionError",
         "Cannot put function: \"Rule\" with 2 arguments"},
        {"SRPutFunction", [](LinkStream& s) { s.putFunction(FunctionHead("List", -3)); }, "SRPutFunctionError",
         "Cannot put function: \"List\" with -3 arguments"},
        {"SRTestHead", [](LinkStream& s) { s.testHead("List"); }, "SRTestHeadError", "Expected \"List\""},
        {"SRTestHead", [](LinkStream& s) { s.getRule(); }, "SRTestHeadError", "Expected \"Rule\""},
        {"SRGetFunction",
         [](LinkStream& s) {
             FunctionHead any("", 0);
             s.getFunction(any);
         },
         "SRGetFunctionError", "Cannot get function"},
        {"SRNewPacket", [](LinkStream& s) { s.newPacket(); }, "SRPacketHandleError", "Error in SRNewPacket"},
        {"SREndPacket", [](LinkStream& s) { s.endPacket(); }, "SRPacketHandleError", "Error in SREndPacket"},
        {"SRFlush", [](LinkStream& s) { s.flush(); }, "SRFlowControlError", "Error in SRFlush"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        srhost_reset();
        srhost_failCall(c.failing, 1, c.code, c.message);
        LinkStream stream(host.get());
        EXPECT_RAISES(c.operation(stream), c.error, linkText(c.code, c.message) + c.note);
        EXPECT_EQ(srhost_callLog(), (std::vector<std::string>{c.failing, "SRError", "SRErrorMessage",
                                                               "SRReleaseErrorMessage", "SRClearError"}));
        expectNothingLeftOpen();
    }
}

}  // namespace
