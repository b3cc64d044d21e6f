// UTF-8 and UTF-16 <-> code points, and the wide path form built on them;
// see utf.h.
#include "platform/utf.h"

#include <cstdint>

namespace MorvalePlatform {

namespace {

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Length of the sequence a lead byte starts (0: not a lead), its payload
// bits and the smallest code point that needs that length.
struct Lead {
    std::size_t extra;
    char32_t bits;
    char32_t smallest;
};

std::optional<Lead> leadOf(unsigned char byte) {
    if (byte < 0x80) return Lead{0, byte, 0};
    if ((byte & 0xE0) == 0xC0) return Lead{1, byte & 0x1Fu, 0x80};
    if ((byte & 0xF0) == 0xE0) return Lead{2, byte & 0x0Fu, 0x800};
    if ((byte & 0xF8) == 0xF0) return Lead{3, byte & 0x07u, 0x10000};
    return std::nullopt;
}

template <class To, class From>
To copied(const From& from) {
    return To(from.begin(), from.end());
}

}  // namespace

std::optional<std::u32string> decodeUtf8(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = leadOf(static_cast<unsigned char>(utf8[i]));
        if (!lead || utf8.size() - i <= lead->extra) return std::nullopt;
        char32_t c = lead->bits;
        for (std::size_t k = 1; k <= lead->extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (next & 0x3Fu);
        }
        if (c < lead->smallest || c > kLastCodePoint || isSurrogate(c)) return std::nullopt;
        out.push_back(c);
        i += lead->extra + 1;
    }
    return out;
}

std::optional<std::u32string> decodeUtf16(std::u16string_view utf16) {
    std::u32string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char32_t unit = utf16[i];
        if (isHighSurrogate(unit)) {
            if (i + 1 == utf16.size() || !isLowSurrogate(utf16[i + 1])) return std::nullopt;
            out.push_back(0x10000 + ((unit - 0xD800) << 10) + (utf16[++i] - 0xDC00u));
        } else if (isLowSurrogate(unit)) {
            return std::nullopt;
        } else {
            out.push_back(unit);
        }
    }
    return out;
}

bool isScalarText(std::u32string_view codePoints) {
    for (char32_t c : codePoints) {
        if (c > kLastCodePoint || isSurrogate(c)) return false;
    }
    return true;
}

std::string encodeUtf8(std::u32string_view codePoints) {
    std::string out;
    out.reserve(codePoints.size());
    for (char32_t c : codePoints) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u16string encodeUtf16(std::u32string_view codePoints) {
    std::u16string out;
    out.reserve(codePoints.size());
    for (char32_t c : codePoints) {
        if (c < 0x10000) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            const char32_t v = c - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        }
    }
    return out;
}

std::optional<std::u16string> utf8ToUtf16(std::string_view utf8) {
    const auto codePoints = decodeUtf8(utf8);
    if (!codePoints) return std::nullopt;
    return encodeUtf16(*codePoints);
}

std::optional<std::string> utf16ToUtf8(std::u16string_view utf16) {
    const auto codePoints = decodeUtf16(utf16);
    if (!codePoints) return std::nullopt;
    return encodeUtf8(*codePoints);
}

std::optional<std::wstring> utf8ToWide(std::string_view utf8) {
    if constexpr (kWideIsUtf16) {
        const auto units = utf8ToUtf16(utf8);
        if (!units) return std::nullopt;
        return copied<std::wstring>(*units);
    } else {
        const auto codePoints = decodeUtf8(utf8);
        if (!codePoints) return std::nullopt;
        return copied<std::wstring>(*codePoints);
    }
}

std::optional<std::string> wideToUtf8(std::wstring_view wide) {
    if constexpr (kWideIsUtf16) {
        return utf16ToUtf8(copied<std::u16string>(wide));
    } else {
        const auto codePoints = copied<std::u32string>(wide);
        if (!isScalarText(codePoints)) return std::nullopt;
        return encodeUtf8(codePoints);
    }
}

}  // namespace MorvalePlatform
