// What the link tests rely on the stand-in to get right about expressions,
// where a fault of the stand-in would let a fault of the library pass: an
// expression is partial until complete, a head test consumes only the
// head, gets check kind and range and consume only on success, loans are
// counted until released, and malformed text is refused.
#include <climits>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "link_fixture.h"

namespace {

// The link tests take "nothing partial" and "nothing unread" as proof that
// nothing was left half-written or unread.
TEST(SrExpressions, ExpressionIsPartialUntilCompleteThenReadable) {
    Loopback loop;
    SRLINK l = loop.get();
    ASSERT_NE(SRPutFunction(l, "List", 2), 0);
    ASSERT_NE(SRPutFunction(l, "Rule", 2), 0);
    ASSERT_NE(SRPutInteger32(l, 1), 0);
    EXPECT_EQ(srhost_resultCount(l), 0);
    EXPECT_EQ(srhost_partial(l), SrValue::ofList({SrValue::ofFunction("Rule", {SrValue::ofInteger(1)})}));
    int n = -1;
    EXPECT_EQ(SRTestHead(l, "List", &n), 0);
    EXPECT_EQ(takeError(l).code, SR_ERR_EMPTY);

    ASSERT_NE(SRPutReal64(l, 0.5), 0);
    ASSERT_NE(SRPutInteger64(l, 4294967295LL), 0);
    EXPECT_FALSE(srhost_partial(l));
    const std::optional<SrValue> got = srhost_read(l);
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, SrValue::ofList({SrValue::ofRule(SrValue::ofInteger(1), SrValue::ofReal(0.5)),
                                     SrValue::ofInteger(4294967295LL)}));
    EXPECT_EQ(got->args[1].origin, "SRPutInteger64");
    EXPECT_FALSE(srhost_read(l));
}

// Arguments and reply share a host link without mixing; a head test takes
// only the head, so the arguments are read next, each loan counted.
TEST(SrExpressions, TestHeadConsumesOnlyTheHeadAndRepliesStayApart) {
    SrHostLink host;
    SRLINK l = host.get();
    ASSERT_TRUE(srhost_putArguments(
        l, {SrValue::ofString("clip.mp4"), SrValue::ofList({SrValue::ofInteger(3)}), SrValue::ofInteger(9)}));
    ASSERT_NE(SRPutInteger32(l, 42), 0);
    int n = -1;
    ASSERT_NE(SRTestHead(l, "List", &n), 0);
    EXPECT_EQ(n, 3);
    const char* path = nullptr;
    ASSERT_NE(SRGetString(l, &path), 0);
    EXPECT_STREQ(path, "clip.mp4");
    const char* head = nullptr;
    ASSERT_NE(SRGetFunction(l, &head, &n), 0);
    EXPECT_STREQ(head, "List");
    EXPECT_EQ(n, 1);
    EXPECT_EQ(srhost_liveLoans(), 2);
    SRReleaseString(l, path);
    SRReleaseSymbol(l, head);
    int a = 0;
    ASSERT_NE(SRGetInteger32(l, &a), 0);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(srhost_unreadCount(l), 1);
    EXPECT_EQ(srhost_read(l), SrValue::ofInteger(42));
    EXPECT_FALSE(srhost_read(l));
    EXPECT_EQ(srhost_liveLoans(), 0);
    EXPECT_EQ(srhost_misuse().badReleases, 0);
}

template <class T, int (*Get)(SRLINK, T*)>
std::pair<int, double> getAs(SRLINK l) {
    T value{};
    const int status = Get(l, &value);
    return {status, static_cast<double>(value)};
}

std::pair<int, double> getByteList(SRLINK l) {
    unsigned char* data = nullptr;
    int length = 0;
    const int status = SRGetInteger8List(l, &data, &length);
    if (status != 0) SRReleaseInteger8List(l, data, length);
    return {status, length};
}

struct Get {
    const char* what;
    std::optional<SrValue> next;
    std::function<std::pair<int, double>(SRLINK)> get;
    int error;  // SR_ERR_NONE when the get succeeds
    double value;
};

TEST(SrExpressions, GetsCheckKindAndRangeAndConsumeOnlyOnSuccess) {
    const Get cases[] = {
        {"byte", SrValue::ofInteger(200), getAs<unsigned char, SRGetInteger8>, SR_ERR_NONE, 200},
        {"byte too big", SrValue::ofInteger(256), getAs<unsigned char, SRGetInteger8>, SR_ERR_RANGE, 0},
        {"byte negative", SrValue::ofInteger(-1), getAs<unsigned char, SRGetInteger8>, SR_ERR_RANGE, 0},
        {"int too big", SrValue::ofInteger(1LL << 40), getAs<int, SRGetInteger32>, SR_ERR_RANGE, 0},
        {"long long", SrValue::ofInteger(1LL << 40), getAs<long long, SRGetInteger64>, SR_ERR_NONE, 1LL << 40},
        {"integer as real", SrValue::ofInteger(7), getAs<double, SRGetReal64>, SR_ERR_NONE, 7},
        {"float too big", SrValue::ofReal(1e300), getAs<float, SRGetReal32>, SR_ERR_RANGE, 0},
        {"real as integer", SrValue::ofReal(2.5), getAs<int, SRGetInteger32>, SR_ERR_TYPE, 0},
        {"string as real", SrValue::ofString("1"), getAs<double, SRGetReal64>, SR_ERR_TYPE, 0},
        {"function as integer", SrValue::ofList({}), getAs<long long, SRGetInteger64>, SR_ERR_TYPE, 0},
        {"nothing", std::nullopt, getAs<int, SRGetInteger32>, SR_ERR_EMPTY, 0},
        {"byte list", SrValue::ofList({SrValue::ofInteger(1), SrValue::ofInteger(2)}), getByteList, SR_ERR_NONE, 2},
        {"byte list out of range", SrValue::ofList({SrValue::ofInteger(1), SrValue::ofInteger(300)}), getByteList,
         SR_ERR_RANGE, 0},
        {"list of another head", SrValue::ofFunction("Row", {SrValue::ofInteger(1)}), getByteList, SR_ERR_TYPE, 0},
        {"nested list", SrValue::ofList({SrValue::ofList({})}), getByteList, SR_ERR_TYPE, 0},
    };
    for (const Get& c : cases) {
        SCOPED_TRACE(c.what);
        Loopback loop;
        if (c.next) {
            ASSERT_TRUE(srhost_put(loop.get(), *c.next));
        }
        const auto [status, value] = c.get(loop.get());
        if (c.error == SR_ERR_NONE) {
            EXPECT_NE(status, 0);
            EXPECT_EQ(value, c.value);
            EXPECT_EQ(srhost_resultCount(loop.get()), 0);
        } else {
            EXPECT_EQ(status, 0);
            EXPECT_EQ(takeError(loop.get()).code, c.error);
            EXPECT_EQ(srhost_read(loop.get()), c.next);  // untouched
        }
        EXPECT_EQ(srhost_liveLoans(), 0);
    }
}

// Lists are lent until released (an empty one too); releasing a foreign
// pointer or with the wrong length is caught and counted.
TEST(SrExpressions, LoansAreCountedUntilReleasedAndBadReleasesCaught) {
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

// What each string put stores is checked through the library's string
// rows (tests/link); here, the text each refuses, leaving nothing.
TEST(SrExpressions, StringPutsRefuseMalformedText) {
    static const unsigned char utf8[] = {0xC3, 0xA9};
    static const unsigned short lone[] = {0xD834};
    static const unsigned int tooWide[] = {0x110000};
    const std::pair<const char*, std::function<int(SRLINK)>> cases[] = {
        {"truncated utf8", [](SRLINK l) { return SRPutUTF8String(l, utf8, 1); }},
        {"utf16 lone surrogate", [](SRLINK l) { return SRPutUTF16String(l, lone, 1); }},
        {"utf32 beyond Unicode", [](SRLINK l) { return SRPutUTF32String(l, tooWide, 1); }},
        {"negative length", [](SRLINK l) { return SRPutUTF8String(l, utf8, -1); }},
    };
    for (const auto& [what, put] : cases) {
        SCOPED_TRACE(what);
        Loopback loop;
        EXPECT_EQ(put(loop.get()), 0);
        EXPECT_EQ(takeError(loop.get()).code, SR_ERR_ARGUMENT);
        EXPECT_EQ(srhost_resultCount(loop.get()), 0);
    }
}

}  // namespace
