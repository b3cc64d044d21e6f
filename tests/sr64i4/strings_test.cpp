// Strings in the six encodings: what each put stores (and records as its
// origin), what each get hands out, and the loan of the returned buffer.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link_fixture.h"

namespace {

// "é" followed by U+1D11E (musical G clef), outside the 16-bit range.
const std::string kMixed = "\xC3\xA9\xF0\x9D\x84\x9E";

struct StringPut {
    const char* what;
    const char* function;
    std::function<int(SRLINK)> put;
    std::optional<std::string> stored;  // nullopt: refused with SR_ERR_ARGUMENT
};

TEST(SrStrings, EachPutStoresUtf8TextAndRecordsItsFunction) {
    static const unsigned char latin1[] = {'Z', 0xE9};
    static const unsigned char utf8[] = {0xC3, 0xA9};
    static const unsigned char brokenUtf8[] = {0xC3};
    static const unsigned char overlong[] = {0xC0, 0xAF};
    static const unsigned short pair[] = {0xD834, 0xDD1E};
    static const unsigned short lone[] = {0xD834};
    static const unsigned short bmp[] = {0x00E9};
    static const unsigned int wide[] = {0x1D11E};
    static const unsigned int tooWide[] = {0x110000};
    const StringPut cases[] = {
        {"native", "SRPutString", [](SRLINK l) { return SRPutString(l, "Zo\xC3\xAB"); }, "Zo\xC3\xAB"},
        {"bytes are Latin-1", "SRPutByteString", [](SRLINK l) { return SRPutByteString(l, latin1, 2); },
         "Z\xC3\xA9"},
        {"empty bytes", "SRPutByteString", [](SRLINK l) { return SRPutByteString(l, nullptr, 0); }, ""},
        {"utf8", "SRPutUTF8String", [](SRLINK l) { return SRPutUTF8String(l, utf8, 2); }, "\xC3\xA9"},
        {"truncated utf8", "SRPutUTF8String", [](SRLINK l) { return SRPutUTF8String(l, brokenUtf8, 1); },
         std::nullopt},
        {"overlong utf8", "SRPutUTF8String", [](SRLINK l) { return SRPutUTF8String(l, overlong, 2); },
         std::nullopt},
        {"utf16 pair", "SRPutUTF16String", [](SRLINK l) { return SRPutUTF16String(l, pair, 2); },
         "\xF0\x9D\x84\x9E"},
        {"utf16 lone surrogate", "SRPutUTF16String", [](SRLINK l) { return SRPutUTF16String(l, lone, 1); },
         std::nullopt},
        {"ucs2", "SRPutUCS2String", [](SRLINK l) { return SRPutUCS2String(l, bmp, 1); }, "\xC3\xA9"},
        {"utf32", "SRPutUTF32String", [](SRLINK l) { return SRPutUTF32String(l, wide, 1); }, "\xF0\x9D\x84\x9E"},
        {"utf32 beyond Unicode", "SRPutUTF32String", [](SRLINK l) { return SRPutUTF32String(l, tooWide, 1); },
         std::nullopt},
        {"negative length", "SRPutUTF8String", [](SRLINK l) { return SRPutUTF8String(l, utf8, -1); },
         std::nullopt},
    };
    for (const StringPut& c : cases) {
        SCOPED_TRACE(c.what);
        Loopback loop;
        const int status = c.put(loop.get());
        if (c.stored) {
            EXPECT_NE(status, 0);
            const auto got = srhost_read(loop.get());
            ASSERT_TRUE(got);
            EXPECT_EQ(*got, SrValue::ofString(*c.stored));
            EXPECT_EQ(got->origin, c.function);
        } else {
            EXPECT_EQ(status, 0);
            EXPECT_EQ(takeError(loop.get()).code, SR_ERR_ARGUMENT);
            EXPECT_EQ(srhost_resultCount(loop.get()), 0);
        }
    }
}

// What a get returned, as integers per code unit, with its reported counts.
struct Got {
    int status = 0;
    std::vector<unsigned> units;
    int length = 0;
    int chars = 0;
};

template <class Unit>
std::vector<unsigned> unitsOf(const Unit* p, int n) {
    return std::vector<unsigned>(p, p + n);
}

struct StringGet {
    const char* function;
    std::function<Got(SRLINK)> get;
    Got expected;
};

TEST(SrStrings, EachGetEncodesTheTextAndLendsIt) {
    const StringGet cases[] = {
        {"SRGetString",
         [](SRLINK l) {
             Got g;
             const char* s = nullptr;
             g.status = SRGetString(l, &s);
             g.units = unitsOf(reinterpret_cast<const unsigned char*>(s), static_cast<int>(std::string(s).size()));
             SRReleaseString(l, s);
             return g;
         },
         {1, {0xC3, 0xA9, 0xF0, 0x9D, 0x84, 0x9E}, 0, 0}},
        {"SRGetByteString",
         [](SRLINK l) {
             Got g;
             const unsigned char* s = nullptr;
             g.status = SRGetByteString(l, &s, &g.length, 26);
             g.units = unitsOf(s, g.length);
             SRReleaseByteString(l, s, g.length);
             return g;
         },
         {1, {0xE9, 26}, 2, 0}},
        {"SRGetUTF8String",
         [](SRLINK l) {
             Got g;
             const unsigned char* s = nullptr;
             g.status = SRGetUTF8String(l, &s, &g.length, &g.chars);
             g.units = unitsOf(s, g.length);
             SRReleaseUTF8String(l, s, g.length);
             return g;
         },
         {1, {0xC3, 0xA9, 0xF0, 0x9D, 0x84, 0x9E}, 6, 2}},
        {"SRGetUTF16String",
         [](SRLINK l) {
             Got g;
             const unsigned short* s = nullptr;
             g.status = SRGetUTF16String(l, &s, &g.length, &g.chars);
             g.units = unitsOf(s, g.length);
             SRReleaseUTF16String(l, s, g.length);
             return g;
         },
         {1, {0xE9, 0xD834, 0xDD1E}, 3, 2}},
        {"SRGetUTF32String",
         [](SRLINK l) {
             Got g;
             const unsigned int* s = nullptr;
             g.status = SRGetUTF32String(l, &s, &g.length);
             g.units = unitsOf(s, g.length);
             SRReleaseUTF32String(l, s, g.length);
             return g;
         },
         {1, {0xE9, 0x1D11E}, 2, 0}},
    };
    for (const StringGet& c : cases) {
        SCOPED_TRACE(c.function);
        Loopback loop;
        ASSERT_TRUE(srhost_put(loop.get(), SrValue::ofString(kMixed)));
        const Got got = c.get(loop.get());
        EXPECT_NE(got.status, 0);
        EXPECT_EQ(got.units, c.expected.units);
        EXPECT_EQ(got.length, c.expected.length);
        EXPECT_EQ(got.chars, c.expected.chars);
        EXPECT_EQ(srhost_resultCount(loop.get()), 0);
        EXPECT_EQ(srhost_liveLoans(), 0);
        EXPECT_EQ(srhost_misuse().badReleases, 0);
    }
}

TEST(SrStrings, Ucs2GetRefusesCharactersBeyondSixteenBits) {
    Loopback loop;
    ASSERT_TRUE(srhost_put(loop.get(), SrValue::ofString(kMixed)));
    const unsigned short* units = nullptr;
    int length = 0;
    EXPECT_EQ(SRGetUCS2String(loop.get(), &units, &length), 0);
    EXPECT_EQ(takeError(loop.get()).code, SR_ERR_RANGE);
    EXPECT_EQ(srhost_read(loop.get()), SrValue::ofString(kMixed));
}

TEST(SrStrings, StringGetOfAnotherKindFails) {
    Loopback loop;
    ASSERT_TRUE(srhost_put(loop.get(), SrValue::ofInteger(5)));
    const unsigned char* bytes = nullptr;
    int n = 0;
    int chars = 0;
    EXPECT_EQ(SRGetUTF8String(loop.get(), &bytes, &n, &chars), 0);
    EXPECT_EQ(takeError(loop.get()).code, SR_ERR_TYPE);
    EXPECT_EQ(srhost_liveLoans(), 0);
}

TEST(SrStrings, UnknownLengthOptionReportsMinusOneAndZeroTerminates) {
    Loopback loop;
    ASSERT_TRUE(srhost_put(loop.get(), SrValue::ofString("path/\xC3\xA9")));
    srhost_setUnknownStringLengths(true);
    const unsigned char* bytes = nullptr;
    int n = 0;
    int chars = 0;
    ASSERT_NE(SRGetUTF8String(loop.get(), &bytes, &n, &chars), 0);
    EXPECT_EQ(n, -1);
    EXPECT_EQ(chars, -1);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes), "path/\xC3\xA9");
    SRReleaseUTF8String(loop.get(), bytes, -1);
    EXPECT_EQ(srhost_liveLoans(), 0);
    EXPECT_EQ(srhost_misuse().badReleases, 0);
}

TEST(SrStrings, HostRefusesMalformedText) {
    SrHostLink host;
    EXPECT_FALSE(srhost_putArguments(host.get(), {SrValue::ofString("\xFF")}));
    EXPECT_EQ(srhost_unreadCount(host.get()), 0);
}

}  // namespace
