// UTF-8 path conversion: round trips, and every kind of malformed input is
// refused rather than passed on as a wrong path.
#include <gtest/gtest.h>

#include <string>

#include "platform/utf.h"

using MorvalePlatform::utf8ToWide;
using MorvalePlatform::wideToUtf8;

TEST(Utf, RoundTripsPathsOfEveryEncodedLength) {
    const std::string paths[] = {
        "",
        "/tmp/clip.mp4",
        "/tmp/caf\xC3\xA9/v\xC3\xA4" "deo.avi",             // two-byte sequences
        "/tmp/\xE6\x98\xA0\xE5\x83\x8F.mkv",                // three-byte sequences
        "/tmp/\xF0\x9F\x8E\xAC clip.webm",                  // four-byte sequence (outside the BMP)
        "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF",  // boundaries
    };
    for (const auto& path : paths) {
        const auto wide = utf8ToWide(path);
        ASSERT_TRUE(wide.has_value()) << path;
        const auto back = wideToUtf8(*wide);
        ASSERT_TRUE(back.has_value()) << path;
        EXPECT_EQ(*back, path);
    }
}

TEST(Utf, WideFormHoldsOneCharacterPerCodePointOnLinux) {
    const auto wide = utf8ToWide("a\xC3\xA9\xF0\x9F\x8E\xAC");
    ASSERT_TRUE(wide.has_value());
    ASSERT_EQ(wide->size(), 3u);
    EXPECT_EQ(static_cast<uint32_t>((*wide)[1]), 0xE9u);
    EXPECT_EQ(static_cast<uint32_t>((*wide)[2]), 0x1F3ACu);
}

TEST(Utf, RefusesMalformedUtf8) {
    const std::string bad[] = {
        "\x80",                  // continuation byte without a lead
        "a\xC3",                 // truncated two-byte sequence
        "\xE6\x98",              // truncated three-byte sequence
        "\xC3\x28",              // lead followed by a non-continuation byte
        "\xC0\xAF",              // overlong '/'
        "\xE0\x80\xAF",          // overlong '/' in three bytes
        "\xED\xA0\x80",          // UTF-16 surrogate encoded in UTF-8
        "\xF4\x90\x80\x80",      // past U+10FFFF
        "\xF8\x88\x80\x80\x80",  // five-byte form
        "\xFF",
    };
    for (const auto& input : bad) {
        EXPECT_FALSE(utf8ToWide(input).has_value()) << "input of " << input.size() << " bytes";
    }
}

TEST(Utf, RefusesWideValuesThatAreNotCodePoints) {
    EXPECT_FALSE(wideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))).has_value());
    EXPECT_FALSE(wideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))).has_value());
}

// The code-point form the link's strings go through: every encoding round
// trips through it, and only scalar values count as text.
TEST(Utf, CodePointsRoundTripThroughBothEncodings) {
    const std::u32string texts[] = {U"", U"clip", U"caf\u00E9", U"\u6620\uFFFF", U"\U0001F3AC\U0010FFFF", U"\u007F\u0080"};
    for (const auto& text : texts) {
        ASSERT_TRUE(MorvalePlatform::isScalarText(text));
        EXPECT_EQ(MorvalePlatform::decodeUtf8(MorvalePlatform::encodeUtf8(text)), text);
        EXPECT_EQ(MorvalePlatform::decodeUtf16(MorvalePlatform::encodeUtf16(text)), text);
    }
    EXPECT_EQ(MorvalePlatform::encodeUtf16(U"\U0001F3AC"), (std::u16string{0xD83C, 0xDFAC}));
    EXPECT_EQ(MorvalePlatform::encodeUtf8(U"\U0010FFFF"), "\xF4\x8F\xBF\xBF");
}

TEST(Utf, OnlyScalarValuesAreText) {
    struct Case {
        char32_t value;
        bool scalar;
    };
    const Case cases[] = {{0, true}, {0xD7FF, true}, {0xD800, false}, {0xDFFF, false},
                          {0xE000, true}, {0x10FFFF, true}, {0x110000, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(MorvalePlatform::isScalarText(std::u32string(1, c.value)), c.scalar) << std::hex << static_cast<uint32_t>(c.value);
    }
}
