// The typed transfer table: every numeric row puts through the link
// function it names, values survive a put and get through a loopback link
// unchanged, and the string rows fill in the counts their link function
// does not give.
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "link/typed_transfer.h"
#include "link_test_support.h"

namespace {

using namespace TravexUtils;
using link_test::HostLinkTest;

// Each type's extremes (for reals the largest and the smallest denormal)
// and a value that needs more than the next smaller type.
template <typename T>
std::vector<T> sampleValues() {
    using Limits = std::numeric_limits<T>;
    if constexpr (std::is_floating_point_v<T>) {
        return {T(-1.5), T(0.1), Limits::max(), Limits::denorm_min()};
    } else {
        return {Limits::min(), T(1), T(Limits::max() / 2 + 1), Limits::max()};
    }
}

template <typename T>
class NumericRowsTest : public HostLinkTest {};

using ElementTypes = ::testing::Types<unsigned char, short, int, long long, float, double>;
TYPED_TEST_SUITE(NumericRowsTest, ElementTypes);

// Each put goes out through the link function its row names, a scalar as
// its exact value (Real32 as the double it widens to); scalars, lists and
// arrays come back unchanged through a loopback link.
TYPED_TEST(NumericRowsTest, PutsGoOutThroughTheirFunctionAndRoundTrip) {
    const auto& rows = numericRows<TypeParam>();
    const std::vector<TypeParam> values = sampleValues<TypeParam>();
    const int dims[] = {2, 2};
    SRLINK hostLink = this->host.get();
    ASSERT_NE(rows.scalarPut(hostLink, values[0]), 0);
    const auto scalar = srhost_read(hostLink);
    ASSERT_TRUE(scalar.has_value());
    if constexpr (std::is_floating_point_v<TypeParam>) {
        EXPECT_EQ(*scalar, link_test::real(static_cast<double>(values[0])));
    } else {
        EXPECT_EQ(*scalar, link_test::integer(values[0]));
    }
    EXPECT_EQ(scalar->origin, rows.scalarPutName);
    ASSERT_NE(rows.listPut(hostLink, values.data(), 2), 0);
    EXPECT_EQ(srhost_read(hostLink).value_or(SrValue{}).origin, rows.listPutName);
    ASSERT_NE(rows.arrayPut(hostLink, values.data(), dims, nullptr, 2), 0);
    EXPECT_EQ(srhost_read(hostLink).value_or(SrValue{}).origin, rows.arrayPutName);

    int code = -1;
    SRLINK link = SRLoopbackOpen(SRLinkEnvironment(hostLink), &code);
    ASSERT_EQ(code, 0);
    for (const TypeParam value : values) {
        ASSERT_NE(rows.scalarPut(link, value), 0) << rows.scalarPutName;
        TypeParam back{};
        ASSERT_NE(rows.scalarGet(link, &back), 0) << rows.scalarGetName;
        EXPECT_EQ(back, value) << rows.scalarPutName;
    }
    ASSERT_NE(rows.listPut(link, values.data(), static_cast<int>(values.size())), 0);
    TypeParam* list = nullptr;
    int length = 0;
    ASSERT_NE(rows.listGet(link, &list, &length), 0);
    EXPECT_EQ(std::vector<TypeParam>(list, list + length), values);
    rows.listRelease(link, list, length);

    ASSERT_NE(rows.arrayPut(link, values.data(), dims, nullptr, 2), 0);
    TypeParam* data = nullptr;
    int* gotDims = nullptr;
    char** heads = nullptr;
    int depth = 0;
    ASSERT_NE(rows.arrayGet(link, &data, &gotDims, &heads, &depth), 0);
    ASSERT_EQ(depth, 2);
    EXPECT_EQ(std::vector<int>(gotDims, gotDims + 2), (std::vector<int>{2, 2}));
    EXPECT_EQ(std::vector<TypeParam>(data, data + 4), values);
    rows.arrayRelease(link, data, gotDims, heads, depth);
    SRClose(link);
    this->expectNothingLeftOpen();
}

// String rows: what each put row writes, and what each get row hands out
// for a text the host put, with the counts the row reports.
class StringRowsTest : public HostLinkTest {
protected:
    template <typename U>
    void expectPut(const StringRows<U>& rows, std::vector<U> units, const std::string& text, const char* origin) {
        SCOPED_TRACE(rows.putName);
        const int length = static_cast<int>(units.size());
        units.push_back(0);  // the native row reads up to the zero
        ASSERT_NE(rows.put(host.get(), units.data(), length), 0);
        const auto written = srhost_read(host.get());
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(*written, link_test::str(text));
        EXPECT_EQ(written->origin, origin);
    }

    template <typename U>
    void expectGet(const StringRows<U>& rows, const std::string& text, const std::vector<U>& units, int length,
                   int characters) {
        SCOPED_TRACE(rows.getName);
        ASSERT_TRUE(srhost_put(host.get(), link_test::str(text)));
        const U* got = nullptr;
        int gotLength = 0;
        int gotCharacters = 0;
        ASSERT_NE(rows.get(host.get(), &got, &gotLength, &gotCharacters), 0);
        EXPECT_EQ(gotLength, length);
        EXPECT_EQ(gotCharacters, characters);
        std::size_t n = 0;
        if (gotLength >= 0) {
            n = static_cast<std::size_t>(gotLength);
        } else {
            while (got[n] != 0) ++n;
        }
        EXPECT_EQ(std::vector<U>(got, got + n), units);
        rows.release(host.get(), got, gotLength);
        EXPECT_EQ(srhost_liveLoans(), 0);
    }
};

TEST_F(StringRowsTest, EveryEncodingPutsAndGetsThroughItsOwnLinkFunction) {
    // "A", e acute, euro sign, and (where the encoding has it) a character
    // beyond U+FFFF.
    const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const std::string bmpText = "A\xC3\xA9\xE2\x82\xAC";
    const std::vector<char> native(text.begin(), text.end());
    const std::vector<unsigned char> utf8(text.begin(), text.end());
    const std::vector<unsigned short> utf16{0x41, 0xE9, 0x20AC, 0xD83D, 0xDE00};
    const std::vector<unsigned short> ucs2{0x41, 0xE9, 0x20AC};
    const std::vector<unsigned int> utf32{0x41, 0xE9, 0x20AC, 0x1F600};

    expectPut(nativeStringRows(), native, text, "SRPutString");
    expectGet(nativeStringRows(), text, native, -1, -1);

    // Bytes are characters U+0000 to U+00FF; anything beyond comes back as
    // the missing-character code.
    expectPut(byteStringRows(), std::vector<unsigned char>{0x41, 0xE9}, "A\xC3\xA9", "SRPutByteString");
    expectGet(byteStringRows(), bmpText, std::vector<unsigned char>{0x41, 0xE9, byteStringMissingCode}, 3, -1);

    expectPut(utf8StringRows(), utf8, text, "SRPutUTF8String");
    expectGet(utf8StringRows(), text, utf8, 10, 4);

    expectPut(utf16StringRows(), utf16, text, "SRPutUTF16String");
    expectGet(utf16StringRows(), text, utf16, 5, 4);

    expectPut(ucs2StringRows(), ucs2, bmpText, "SRPutUCS2String");
    expectGet(ucs2StringRows(), bmpText, ucs2, 3, -1);

    expectPut(utf32StringRows(), utf32, text, "SRPutUTF32String");
    expectGet(utf32StringRows(), text, utf32, 4, -1);

    expectNothingLeftOpen();
}

}  // namespace
