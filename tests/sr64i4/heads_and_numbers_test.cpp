// Expressions on links: heads and nesting, the stream reading model, and the
// numeric scalar, list and array families.
#include <climits>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "link_fixture.h"

namespace {

TEST(SrHeads, NestedExpressionRoundTripsThroughLoopback) {
    Loopback loop;
    SRLINK l = loop.get();
    const unsigned char key[] = "Size";
    ASSERT_NE(SRPutFunction(l, "Association", 2), 0);
    ASSERT_NE(SRPutFunction(l, "Rule", 2), 0);
    ASSERT_NE(SRPutByteString(l, key, 4), 0);
    ASSERT_NE(SRPutFunction(l, "List", 2), 0);
    ASSERT_NE(SRPutInteger64(l, 4294967295LL), 0);
    ASSERT_NE(SRPutReal64(l, 0.5), 0);
    ASSERT_NE(SRPutFunction(l, "Rule", 2), 0);
    ASSERT_NE(SRPutInteger32(l, 1), 0);
    ASSERT_NE(SRPutFunction(l, "Association", 0), 0);

    const SrValue expected = SrValue::ofAssociation(
        {SrValue::ofRule(SrValue::ofString("Size"),
                         SrValue::ofList({SrValue::ofInteger(4294967295LL), SrValue::ofReal(0.5)})),
         SrValue::ofRule(SrValue::ofInteger(1), SrValue::ofAssociation({}))});
    const std::optional<SrValue> got = srhost_read(l);
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, expected);
    EXPECT_EQ(got->origin, "SRPutFunction");
    EXPECT_EQ(got->args[0].args[1].args[0].origin, "SRPutInteger64");
    EXPECT_FALSE(srhost_read(l));
}

TEST(SrHeads, ExpressionBecomesReadableOnlyWhenComplete) {
    Loopback loop;
    SRLINK l = loop.get();
    ASSERT_NE(SRPutFunction(l, "List", 2), 0);
    ASSERT_NE(SRPutFunction(l, "Rule", 2), 0);
    ASSERT_NE(SRPutInteger32(l, 1), 0);
    EXPECT_EQ(srhost_resultCount(l), 0);
    EXPECT_EQ(srhost_partial(l),
              SrValue::ofList({SrValue::ofFunction("Rule", {SrValue::ofInteger(1)})}));
    int n = -1;
    EXPECT_EQ(SRTestHead(l, "List", &n), 0);
    EXPECT_EQ(takeError(l).code, SR_ERR_EMPTY);

    ASSERT_NE(SRPutInteger32(l, 2), 0);
    ASSERT_NE(SRPutInteger32(l, 3), 0);
    EXPECT_FALSE(srhost_partial(l));
    EXPECT_EQ(srhost_resultCount(l), 1);
}

TEST(SrHeads, TestHeadConsumesOnlyTheHeadSoArgumentsAreReadNext) {
    SrHostLink host;
    SRLINK l = host.get();
    ASSERT_TRUE(srhost_putArguments(
        l, {SrValue::ofString("clip.mp4"), SrValue::ofList({SrValue::ofInteger(3), SrValue::ofInteger(1)})}));
    int n = -1;
    ASSERT_NE(SRTestHead(l, "List", &n), 0);
    EXPECT_EQ(n, 2);
    const char* path = nullptr;
    ASSERT_NE(SRGetString(l, &path), 0);
    EXPECT_STREQ(path, "clip.mp4");
    SRReleaseString(l, path);
    const char* head = nullptr;
    ASSERT_NE(SRGetFunction(l, &head, &n), 0);
    EXPECT_STREQ(head, "List");
    EXPECT_EQ(n, 2);
    EXPECT_EQ(srhost_liveLoans(), 1);
    SRReleaseSymbol(l, head);
    int a = 0;
    int b = 0;
    ASSERT_NE(SRGetInteger32(l, &a), 0);
    ASSERT_NE(SRGetInteger32(l, &b), 0);
    EXPECT_EQ(std::make_pair(a, b), std::make_pair(3, 1));
    EXPECT_EQ(srhost_unreadCount(l), 0);
    EXPECT_EQ(srhost_liveLoans(), 0);
    EXPECT_EQ(srhost_misuse().badReleases, 0);
}

TEST(SrHeads, HostLinkKeepsArgumentsAndReplyApart) {
    SrHostLink host;
    SRLINK l = host.get();
    ASSERT_TRUE(srhost_putArguments(l, {SrValue::ofString("left over")}));
    ASSERT_NE(SRPutInteger32(l, 42), 0);
    EXPECT_EQ(srhost_read(l), SrValue::ofInteger(42));
    EXPECT_FALSE(srhost_read(l));
    EXPECT_EQ(srhost_unreadCount(l), 1);
    int n = 0;
    EXPECT_NE(SRTestHead(l, "List", &n), 0);
}

TEST(SrHeads, BadHeadArgumentsAreRefused) {
    Loopback loop;
    EXPECT_EQ(SRPutFunction(loop.get(), "List", -1), 0);
    EXPECT_EQ(takeError(loop.get()).code, SR_ERR_ARGUMENT);
    EXPECT_EQ(SRPutFunction(loop.get(), "", 0), 0);
    EXPECT_EQ(takeError(loop.get()).code, SR_ERR_ARGUMENT);
    EXPECT_FALSE(srhost_partial(loop.get()));
}

struct ScalarPut {
    const char* function;
    std::function<int(SRLINK)> put;
    std::optional<SrValue> stored;  // nullopt: refused with SR_ERR_RANGE
};

TEST(SrNumbers, ScalarPutsStoreTheValueOrRefuseWhatDoesNotFit) {
    const ScalarPut cases[] = {
        {"SRPutInteger8", [](SRLINK l) { return SRPutInteger8(l, 255); }, SrValue::ofInteger(255)},
        {"SRPutInteger16", [](SRLINK l) { return SRPutInteger16(l, -32768); }, SrValue::ofInteger(-32768)},
        {"SRPutInteger16", [](SRLINK l) { return SRPutInteger16(l, 32768); }, std::nullopt},
        {"SRPutInteger32", [](SRLINK l) { return SRPutInteger32(l, INT_MIN); }, SrValue::ofInteger(INT_MIN)},
        {"SRPutInteger64", [](SRLINK l) { return SRPutInteger64(l, LLONG_MAX); }, SrValue::ofInteger(LLONG_MAX)},
        {"SRPutReal32", [](SRLINK l) { return SRPutReal32(l, 0.1); }, SrValue::ofReal(static_cast<float>(0.1))},
        {"SRPutReal32", [](SRLINK l) { return SRPutReal32(l, 1e300); }, std::nullopt},
        {"SRPutReal64", [](SRLINK l) { return SRPutReal64(l, -2.5e-300); }, SrValue::ofReal(-2.5e-300)},
    };
    for (const ScalarPut& c : cases) {
        SCOPED_TRACE(c.function);
        Loopback loop;
        const int status = c.put(loop.get());
        if (c.stored) {
            EXPECT_NE(status, 0);
            const auto got = srhost_read(loop.get());
            ASSERT_TRUE(got);
            EXPECT_EQ(*got, *c.stored);
            EXPECT_EQ(got->origin, c.function);
        } else {
            EXPECT_EQ(status, 0);
            EXPECT_EQ(takeError(loop.get()).code, SR_ERR_RANGE);
            EXPECT_EQ(srhost_resultCount(loop.get()), 0);
        }
    }
}

template <class T, int (*Get)(SRLINK, T*)>
std::pair<int, double> getAs(SRLINK l) {
    T value{};
    const int status = Get(l, &value);
    return {status, static_cast<double>(value)};
}

struct ScalarGet {
    const char* what;
    std::optional<SrValue> next;
    std::function<std::pair<int, double>(SRLINK)> get;
    int error;  // SR_ERR_NONE when the get succeeds
    double value;
};

TEST(SrNumbers, ScalarGetsCheckKindAndRangeAndConsumeOnlyOnSuccess) {
    const ScalarGet cases[] = {
        {"byte", SrValue::ofInteger(200), getAs<unsigned char, SRGetInteger8>, SR_ERR_NONE, 200},
        {"byte too big", SrValue::ofInteger(256), getAs<unsigned char, SRGetInteger8>, SR_ERR_RANGE, 0},
        {"byte negative", SrValue::ofInteger(-1), getAs<unsigned char, SRGetInteger8>, SR_ERR_RANGE, 0},
        {"short", SrValue::ofInteger(-32768), getAs<short, SRGetInteger16>, SR_ERR_NONE, -32768},
        {"int too big", SrValue::ofInteger(1LL << 40), getAs<int, SRGetInteger32>, SR_ERR_RANGE, 0},
        {"long long", SrValue::ofInteger(1LL << 40), getAs<long long, SRGetInteger64>, SR_ERR_NONE, 1LL << 40},
        {"integer as real", SrValue::ofInteger(7), getAs<double, SRGetReal64>, SR_ERR_NONE, 7},
        {"float", SrValue::ofReal(0.25), getAs<float, SRGetReal32>, SR_ERR_NONE, 0.25},
        {"float too big", SrValue::ofReal(1e300), getAs<float, SRGetReal32>, SR_ERR_RANGE, 0},
        {"real as integer", SrValue::ofReal(2.5), getAs<int, SRGetInteger32>, SR_ERR_TYPE, 0},
        {"string as real", SrValue::ofString("1"), getAs<double, SRGetReal64>, SR_ERR_TYPE, 0},
        {"function as integer", SrValue::ofList({}), getAs<long long, SRGetInteger64>, SR_ERR_TYPE, 0},
        {"nothing", std::nullopt, getAs<int, SRGetInteger32>, SR_ERR_EMPTY, 0},
    };
    for (const ScalarGet& c : cases) {
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
    }
}

TEST(SrNumbers, ListsRoundTripAndAreLentUntilReleased) {
    Loopback loop;
    SRLINK l = loop.get();
    const short values[] = {1, -2, 3};
    ASSERT_NE(SRPutInteger16List(l, values, 3), 0);
    ASSERT_NE(SRPutReal64List(l, nullptr, 0), 0);

    double* data = nullptr;
    int length = -1;
    ASSERT_NE(SRGetReal64List(l, &data, &length), 0);
    ASSERT_EQ(length, 3);
    EXPECT_EQ(std::vector<double>(data, data + length), (std::vector<double>{1, -2, 3}));
    double* empty = nullptr;
    ASSERT_NE(SRGetReal64List(l, &empty, &length), 0);
    EXPECT_EQ(length, 0);
    EXPECT_NE(empty, nullptr);
    EXPECT_EQ(srhost_liveLoans(), 2);
    SRReleaseReal64List(l, data, 3);
    SRReleaseReal64List(l, empty, 0);
    EXPECT_EQ(srhost_liveLoans(), 0);
    EXPECT_EQ(srhost_misuse().badReleases, 0);
}

TEST(SrNumbers, ListGetRefusesOtherShapesWithoutConsuming) {
    const SrValue cases[] = {
        SrValue::ofList({SrValue::ofInteger(1), SrValue::ofInteger(300)}),
        SrValue::ofFunction("Row", {SrValue::ofInteger(1)}),
        SrValue::ofList({SrValue::ofList({})}),
        SrValue::ofInteger(1),
    };
    for (const SrValue& next : cases) {
        SCOPED_TRACE(srhost_toJson(next));
        Loopback loop;
        ASSERT_TRUE(srhost_put(loop.get(), next));
        unsigned char* data = nullptr;
        int length = 0;
        EXPECT_EQ(SRGetInteger8List(loop.get(), &data, &length), 0);
        EXPECT_NE(takeError(loop.get()).code, SR_ERR_NONE);
        EXPECT_EQ(srhost_read(loop.get()), next);
    }
}

TEST(SrNumbers, ArrayPutBuildsNestedHeadsInRowMajorOrder) {
    Loopback loop;
    const double data[] = {1, 2, 3, 4, 5, 6};
    const int dims[] = {2, 3};
    const char* heads[] = {"Matrix", nullptr};
    ASSERT_NE(SRPutReal64Array(loop.get(), data, dims, heads, 2), 0);
    auto row = [](double a, double b, double c) {
        return SrValue::ofList({SrValue::ofReal(a), SrValue::ofReal(b), SrValue::ofReal(c)});
    };
    EXPECT_EQ(srhost_read(loop.get()), SrValue::ofFunction("Matrix", {row(1, 2, 3), row(4, 5, 6)}));
}

TEST(SrNumbers, ArrayGetReportsShapeHeadsAndData) {
    Loopback loop;
    auto pair = [](int a, int b) { return SrValue::ofList({SrValue::ofInteger(a), SrValue::ofInteger(b)}); };
    ASSERT_TRUE(srhost_put(loop.get(), SrValue::ofFunction("Grid", {pair(1, 2), pair(3, 4), pair(5, 6)})));
    int* data = nullptr;
    int* dims = nullptr;
    char** heads = nullptr;
    int depth = 0;
    ASSERT_NE(SRGetInteger32Array(loop.get(), &data, &dims, &heads, &depth), 0);
    ASSERT_EQ(depth, 2);
    EXPECT_EQ(std::vector<int>(dims, dims + 2), (std::vector<int>{3, 2}));
    EXPECT_STREQ(heads[0], "Grid");
    EXPECT_STREQ(heads[1], "List");
    EXPECT_EQ(std::vector<int>(data, data + 6), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    SRReleaseInteger32Array(loop.get(), data, dims, heads, depth);
    EXPECT_EQ(srhost_liveLoans(), 0);
}

TEST(SrNumbers, RaggedArrayIsRefused) {
    Loopback loop;
    const SrValue ragged = SrValue::ofList({SrValue::ofList({SrValue::ofInteger(1)}),
                                            SrValue::ofList({SrValue::ofInteger(2), SrValue::ofInteger(3)})});
    ASSERT_TRUE(srhost_put(loop.get(), ragged));
    long long* data = nullptr;
    int* dims = nullptr;
    char** heads = nullptr;
    int depth = 0;
    EXPECT_EQ(SRGetInteger64Array(loop.get(), &data, &dims, &heads, &depth), 0);
    EXPECT_EQ(takeError(loop.get()).code, SR_ERR_TYPE);
    EXPECT_EQ(srhost_liveLoans(), 0);
}

TEST(SrNumbers, ReleasesOfForeignPointersOrWrongLengthsAreCaught) {
    Loopback loop;
    const int values[] = {1, 2};
    ASSERT_NE(SRPutInteger32List(loop.get(), values, 2), 0);
    int* data = nullptr;
    int length = 0;
    ASSERT_NE(SRGetInteger32List(loop.get(), &data, &length), 0);
    int foreign[2] = {};
    SRReleaseInteger32List(loop.get(), foreign, 2);
    EXPECT_EQ(takeError(loop.get()).code, SR_ERR_RELEASE);
    SRReleaseInteger32List(loop.get(), data, 1);
    EXPECT_EQ(takeError(loop.get()).code, SR_ERR_RELEASE);
    EXPECT_EQ(srhost_misuse().badReleases, 2);
    EXPECT_EQ(srhost_liveLoans(), 0);
}

}  // namespace
