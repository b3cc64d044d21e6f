// Strings on the link stand-in: malformed text refused, gets of the wrong
// kind or range, and the unknown-length option. The six encodings' puts and
// gets are checked through the library's string rows (tests/link).
#include <functional>
#include <string>
#include <utility>

#include "link_fixture.h"

namespace {

// "é" followed by U+1D11E (musical G clef), outside the 16-bit range.
const std::string kMixed = "\xC3\xA9\xF0\x9D\x84\x9E";

// Text each put refuses, leaving nothing on the link; what the puts store
// is checked through the library's string rows (tests/link).
TEST(SrStrings, PutsRefuseMalformedText) {
    static const unsigned char utf8[] = {0xC3, 0xA9};
    static const unsigned char brokenUtf8[] = {0xC3};
    static const unsigned char overlong[] = {0xC0, 0xAF};
    static const unsigned short lone[] = {0xD834};
    static const unsigned int tooWide[] = {0x110000};
    const std::pair<const char*, std::function<int(SRLINK)>> cases[] = {
        {"truncated utf8", [](SRLINK l) { return SRPutUTF8String(l, brokenUtf8, 1); }},
        {"overlong utf8", [](SRLINK l) { return SRPutUTF8String(l, overlong, 2); }},
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
