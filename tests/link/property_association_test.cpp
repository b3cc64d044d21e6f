// Property associations: the forms of keys and values, nested per-stream
// associations, and that a failure while an association
// is open leaves nothing of it on the host link.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/property_association.h"
#include "link_test_support.h"
#include "tests/support/error_expectations.h"

namespace {

using namespace TravexUtils;
using namespace link_test;

using PropertyAssociationTest = HostLinkTest;

// The shape the audio properties take: streams numbered from 1, each with
// its own association, beside the forms of every other value.
TEST_F(PropertyAssociationTest, NestedAssociationsAndTheFormOfEachValue) {
    {
        LinkStream stream(host.get());
        PropertyAssociation outer(stream);
        outer.putReal("Duration", 2.5).putUnsigned("BitRate", 4294967295u).putString("Codec", "caf\xC3\xA9");
        for (int32_t streamNumber = 1; streamNumber <= 2; ++streamNumber) {
            outer.beginNumberedRule(streamNumber);
            PropertyAssociation inner(stream);
            inner.putInteger("Channels", 2).putInteger("SampleRate", -44100);
            inner.end();
        }
        outer.end();
        EXPECT_EQ(stream.depth(), 1u);
    }
    const SrValue perStream =
        association({rule(str("Channels"), integer(2)), rule(str("SampleRate"), integer(-44100))});
    const auto written = srhost_read(host.get());
    ASSERT_TRUE(written.has_value());
    ASSERT_EQ(*written, association({rule(str("Duration"), real(2.5)), rule(str("BitRate"), integer(4294967295LL)),
                                     rule(str("Codec"), str("caf\xC3\xA9")), rule(integer(1), perStream),
                                     rule(integer(2), perStream)}));

    struct Origin {
        std::size_t rule;
        const char* key;
        const char* value;
    };
    const Origin origins[] = {{0, "SRPutByteString", "SRPutReal64"},
                              {1, "SRPutByteString", "SRPutInteger64"},
                              {2, "SRPutByteString", "SRPutUTF8String"},
                              {3, "SRPutInteger32", "SRPutFunction"}};
    for (const Origin& o : origins) {
        EXPECT_EQ(written->args[o.rule].args[0].origin, o.key) << o.rule;
        EXPECT_EQ(written->args[o.rule].args[1].origin, o.value) << o.rule;
    }
    EXPECT_EQ(written->args[3].args[1].args[0].args[1].origin, "SRPutInteger32");
    expectNothingLeftOpen();
}

// A failure at any step while the association is open: the named error, no
// loopback link left open, and nothing on the host link, except once the
// outer head has gone out and its rules cannot follow.
TEST_F(PropertyAssociationTest, FailureWhileOpenLeavesNothingOnTheHostLink) {
    const auto writeProperties = [](SRLINK link) {
        LinkStream stream(link);
        PropertyAssociation outer(stream);
        outer.putString("Codec", "h264");
        outer.beginNumberedRule(1);
        PropertyAssociation inner(stream);
        inner.putInteger("Channels", 2);
        inner.end();
        outer.putReal("Duration", 1.5);
        outer.end();
    };
    const std::string injected = linkText(9, "injected");
    struct Case {
        const char* failing;
        int k;
        const char* error;
        std::string debugText;
        bool outerHeadOut;
    };
    const std::vector<Case> cases{
        {"SRLoopbackOpen", 1, "SRCreateLoopbackError", "Error code: 9", false},  // outer begins
        {"SRLoopbackOpen", 2, "SRCreateLoopbackError", "Error code: 9", false},  // inner begins
        {"SRLoopbackOpen", 3, "SRCreateLoopbackError", "Error code: 9", false},  // inner is counted
        {"SRLoopbackOpen", 4, "SRCreateLoopbackError", "Error code: 9", false},  // outer is counted
        {"SRPutByteString", 1, "SRPutStringError", injected + "SRPut(UTF8/Byte)String", false},
        {"SRPutInteger32", 1, "SRPutScalarError", injected + "SRPutInteger32", false},  // stream number
        {"SRPutInteger32", 2, "SRPutScalarError", injected + "SRPutInteger32", false},  // inner value
        {"SRPutReal64", 1, "SRPutScalarError", injected + "SRPutReal64", false},
        {"SRPutFunction", 4, "SRPutFunctionError", injected + "Cannot put function: \"Association\" with 1 arguments",
         false},  // inner head
        {"SRPutFunction", 6, "SRPutFunctionError", injected + "Cannot put function: \"Association\" with 3 arguments",
         false},  // outer head
        {"SRTransferToEndOfLoopbackLink", 1, "SRTransferToLoopbackError",
         injected + "Could not transfer 1 expressions from Loopback Link", false},
        {"SRTransferToEndOfLoopbackLink", 2, "SRTransferToLoopbackError",
         injected + "Could not transfer 3 expressions from Loopback Link", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.failing) + " #" + std::to_string(c.k));
        srhost_reset();
        SrHostLink link;
        srhost_failCall(c.failing, c.k, 9, "injected");
        EXPECT_RAISES(writeProperties(link.get()), c.error, c.debugText);
        EXPECT_EQ(srhost_callCount(c.failing), c.k);
        EXPECT_EQ(srhost_read(link.get()), std::nullopt);
        EXPECT_EQ(srhost_partial(link.get()), c.outerHeadOut ? std::optional<SrValue>(association({})) : std::nullopt);
        EXPECT_EQ(srhost_openLoopbackLinks(), 0);
        EXPECT_EQ(srhost_liveErrorMessages(), 0);
        EXPECT_EQ(srhost_misuse().invalidHandles, 0);
        EXPECT_EQ(srhost_misuse().hostLinkCloses, 0);
    }
}

}  // namespace
