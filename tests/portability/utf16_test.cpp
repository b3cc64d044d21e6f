// The UTF-16 form paths take on Windows: surrogate pairs above U+FFFF, and
// every unpaired or misordered surrogate refused, so a malformed path never
// reaches the platform as a different file name.
#include <gtest/gtest.h>

#include <string>

#include "platform/utf.h"

using MorvalePlatform::utf16ToUtf8;
using MorvalePlatform::utf8ToUtf16;
using MorvalePlatform::utf8ToWide;

TEST(Utf16, CodePointsAboveTheBasicPlaneBecomeSurrogatePairs) {
    // U+1F3AC (clapper board) and U+10FFFF, the last code point.
    const auto units = utf8ToUtf16("a\xF0\x9F\x8E\xAC\xF4\x8F\xBF\xBF");
    ASSERT_TRUE(units.has_value());
    EXPECT_EQ(*units, (std::u16string{u'a', 0xD83C, 0xDFAC, 0xDBFF, 0xDFFF}));
}

TEST(Utf16, BasicPlaneCharactersStayOneUnit) {
    const auto units = utf8ToUtf16("C:\\caf\xC3\xA9\\\xE6\x98\xA0\xEF\xBF\xBF.mp4");
    ASSERT_TRUE(units.has_value());
    EXPECT_EQ(*units, u"C:\\caf\u00E9\\\u6620\uFFFF.mp4");
}

TEST(Utf16, PathsRoundTrip) {
    const std::string paths[] = {
        "",
        "C:\\Users\\me\\clip.mp4",
        "C:\\Users\\J\xC3\xBCrgen\\\xF0\x9F\x8E\xAC\xF0\x9F\x8E\xAC.mkv",
        "\\\\server\\share\\\xE6\x98\xA0\xE5\x83\x8F.avi",
        "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
    };
    for (const auto& path : paths) {
        const auto units = utf8ToUtf16(path);
        ASSERT_TRUE(units.has_value()) << path;
        const auto back = utf16ToUtf8(*units);
        ASSERT_TRUE(back.has_value()) << path;
        EXPECT_EQ(*back, path);
    }
}

TEST(Utf16, RefusesUnpairedSurrogates) {
    const std::u16string bad[] = {
        {u'a', 0xD83C},             // high surrogate at the end
        {0xD83C, u'a'},             // high surrogate followed by a plain unit
        {0xD83C, 0xD83C, 0xDFAC},   // two highs in a row
        {0xDFAC},                   // low surrogate alone
        {0xDFAC, 0xD83C},           // pair in the wrong order
    };
    for (const auto& units : bad) {
        EXPECT_FALSE(utf16ToUtf8(units).has_value()) << units.size();
    }
}

TEST(Utf16, RefusesMalformedUtf8LikeTheWideForm) {
    const std::string bad[] = {"\x80", "a\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xFF"};
    for (const auto& text : bad) {
        EXPECT_FALSE(utf8ToUtf16(text).has_value()) << text;
        EXPECT_FALSE(utf8ToWide(text).has_value()) << text;
    }
}

TEST(Utf16, AgreesWithTheWideFormOnEveryCodePoint) {
    // Both forms come from the same UTF-8; decoding the UTF-16 pairs back
    // must give the code points the wide form holds directly.
    const std::string text = "x\xC3\xA9\xE6\x98\xA0\xF0\x9F\x8E\xAC\xF4\x8F\xBF\xBF";
    const auto units = utf8ToUtf16(text);
    const auto wide = utf8ToWide(text);
    ASSERT_TRUE(units.has_value());
    ASSERT_TRUE(wide.has_value());
    std::u32string fromUnits;
    for (size_t i = 0; i < units->size(); ++i) {
        char32_t c = (*units)[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + ((*units)[++i] - 0xDC00);
        }
        fromUnits.push_back(c);
    }
    std::u32string fromWide;
    for (wchar_t c : *wide) fromWide.push_back(static_cast<char32_t>(c));
    EXPECT_EQ(fromUnits, fromWide);
}
