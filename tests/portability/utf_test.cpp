// The path forms a UTF-8 path takes: the wide form (one wchar_t per code
// point on Linux) and the UTF-16 form of Windows (surrogate pairs above
// U+FFFF). Both round trip, and every malformed input, unpaired surrogate or
// value that is not a code point is refused, so a bad path never reaches the
// platform as a different file name.
#include <gtest/gtest.h>

#include <string>

#include "platform/utf.h"

using namespace MorvalePlatform;

TEST(Utf, PathsRoundTripThroughBothForms) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
        std::u32string codePoints;
    };
    const Case cases[] = {
        {"", u"", U""},
        {"/tmp/clip.mp4", u"/tmp/clip.mp4", U"/tmp/clip.mp4"},
        {"C:\\caf\xC3\xA9\\\xE6\x98\xA0\xEF\xBF\xBF.mp4", u"C:\\caf\u00E9\\\u6620\uFFFF.mp4",
         U"C:\\caf\u00E9\\\u6620\uFFFF.mp4"},
        {"a\xF0\x9F\x8E\xAC\xF4\x8F\xBF\xBF", {u'a', 0xD83C, 0xDFAC, 0xDBFF, 0xDFFF}, U"a\U0001F3AC\U0010FFFF"},
        {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xF0\x90\x80\x80", {0x7F, 0x80, 0x7FF, 0x800, 0xD800, 0xDC00},
         U"\u007F\u0080\u07FF\u0800\U00010000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        const auto units = utf8ToUtf16(c.utf8);
        ASSERT_TRUE(units.has_value());
        EXPECT_EQ(*units, c.utf16);
        EXPECT_EQ(utf16ToUtf8(*units), c.utf8);
        const auto wide = utf8ToWide(c.utf8);
        ASSERT_TRUE(wide.has_value());
        EXPECT_EQ(std::u32string(wide->begin(), wide->end()), c.codePoints);
        EXPECT_EQ(wideToUtf8(*wide), c.utf8);
        EXPECT_EQ(decodeUtf8(c.utf8), c.codePoints);
        EXPECT_EQ(encodeUtf8(c.codePoints), c.utf8);
        EXPECT_EQ(encodeUtf16(c.codePoints), c.utf16);
        EXPECT_EQ(decodeUtf16(c.utf16), c.codePoints);
    }
}

TEST(Utf, MalformedInputIsRefusedByEveryForm) {
    const std::string badUtf8[] = {
        "\x80",                  // continuation byte without a lead
        "a\xC3",                 // truncated two-byte sequence
        "\xE6\x98",              // truncated three-byte sequence
        "\xC3\x28",              // lead followed by a non-continuation byte
        "\xC0\xAF",              // overlong '/'
        "\xE0\x80\xAF",          // overlong '/' in three bytes
        "\xED\xA0\x80",          // UTF-16 surrogate encoded in UTF-8
        "\xED\xBF\xBF",
        "\xF4\x90\x80\x80",      // past U+10FFFF
        "\xF8\x88\x80\x80\x80",  // five-byte form
        "\xFF",
    };
    for (const auto& text : badUtf8) {
        EXPECT_FALSE(utf8ToWide(text).has_value()) << "input of " << text.size() << " bytes";
        EXPECT_FALSE(utf8ToUtf16(text).has_value()) << "input of " << text.size() << " bytes";
    }
    const std::u16string badUtf16[] = {
        {u'a', 0xD83C},            // high surrogate at the end
        {0xD83C, u'a'},            // high surrogate followed by a plain unit
        {0xD83C, 0xD83C, 0xDFAC},  // two highs in a row
        {0xDFAC},                  // low surrogate alone
        {0xDFAC, 0xD83C},          // pair in the wrong order
    };
    for (const auto& units : badUtf16) {
        EXPECT_FALSE(utf16ToUtf8(units).has_value()) << units.size();
    }
    EXPECT_FALSE(wideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))).has_value());
    EXPECT_FALSE(wideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))).has_value());
}

TEST(Utf, OnlyScalarValuesAreText) {
    const std::pair<char32_t, bool> cases[] = {{0, true},      {0xD7FF, true},   {0xD800, false},  {0xDFFF, false},
                                               {0xE000, true}, {0x10FFFF, true}, {0x110000, false}};
    for (const auto& [value, scalar] : cases) {
        EXPECT_EQ(isScalarText(std::u32string(1, value)), scalar) << std::hex << static_cast<uint32_t>(value);
    }
}
