// What the link tests take as proof that the library left nothing behind,
// checked where it is not zero: open links counted and misuse caught, the
// per-link error state and its messages counted until released, refused
// gets, and loans counted until released. (Packet records, injected failures, partial
// expressions and transfers show in what the link tests read back.)
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link_fixture.h"

namespace {

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

// A get of the wrong kind or beyond its type's range fails with its own
// code and leaves the value to be read again.
TEST(SrErrors, RefusedGetsSetTheirCodeAndLeaveTheValue) {
    struct Case {
        const char* what;
        SrValue next;
        std::function<int(SRLINK)> get;
        int error;
    };
    const Case cases[] = {
        {"real as integer", SrValue::ofReal(2.5), [](SRLINK l) { int v = 0; return SRGetInteger32(l, &v); },
         SR_ERR_TYPE},
        {"byte too big", SrValue::ofInteger(256), [](SRLINK l) { unsigned char v = 0; return SRGetInteger8(l, &v); },
         SR_ERR_RANGE},
        {"string as real", SrValue::ofString("1"), [](SRLINK l) { double v = 0; return SRGetReal64(l, &v); },
         SR_ERR_TYPE},
        {"float too big", SrValue::ofReal(1e300), [](SRLINK l) { float v = 0; return SRGetReal32(l, &v); },
         SR_ERR_RANGE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Loopback loop;
        ASSERT_TRUE(srhost_put(loop.get(), c.next));
        EXPECT_EQ(c.get(loop.get()), 0);
        EXPECT_EQ(takeError(loop.get()).code, c.error);
        EXPECT_EQ(srhost_read(loop.get()), c.next);
    }
}

// Lists are lent until released (an empty one too); releasing a foreign
// pointer or with the wrong length is caught and counted.
TEST(SrLoans, LoansAreCountedUntilReleasedAndBadReleasesCaught) {
    Loopback loop;
    SRLINK l = loop.get();
    const short values[] = {1, -2, 3};
    ASSERT_NE(SRPutInteger16List(l, values, 3), 0);
    ASSERT_NE(SRPutReal64List(l, nullptr, 0), 0);
    const int ints[] = {1, 2};
    ASSERT_NE(SRPutInteger32List(l, ints, 2), 0);

    double* data = nullptr;
    int length = -1;
    ASSERT_NE(SRGetReal64List(l, &data, &length), 0);
    ASSERT_EQ(length, 3);
    EXPECT_EQ(std::vector<double>(data, data + length), (std::vector<double>{1, -2, 3}));
    double* empty = nullptr;
    ASSERT_NE(SRGetReal64List(l, &empty, &length), 0);
    EXPECT_EQ(length, 0);
    EXPECT_NE(empty, nullptr);
    int* lent = nullptr;
    ASSERT_NE(SRGetInteger32List(l, &lent, &length), 0);
    EXPECT_EQ(srhost_liveLoans(), 3);
    SRReleaseReal64List(l, data, 3);
    SRReleaseReal64List(l, empty, 0);
    EXPECT_EQ(srhost_misuse().badReleases, 0);

    int foreign[2] = {};
    SRReleaseInteger32List(l, foreign, 2);
    EXPECT_EQ(takeError(l).code, SR_ERR_RELEASE);
    SRReleaseInteger32List(l, lent, 1);
    EXPECT_EQ(takeError(l).code, SR_ERR_RELEASE);
    EXPECT_EQ(srhost_misuse().badReleases, 2);
    EXPECT_EQ(srhost_liveLoans(), 0);
}

}  // namespace
