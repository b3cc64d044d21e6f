// UTF-8 <-> platform wide strings; see utf.h. One decoder and one encoder,
// parameterised on whether the wide form is UTF-16 (surrogate pairs above
// U+FFFF) or holds one unit per code point.
#include "platform/utf.h"

#include <cstdint>

namespace MorvalePlatform {

namespace {

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool isSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

template <bool Utf16, class String>
void appendUnits(String& out, uint32_t c) {
    using Unit = typename String::value_type;
    if (Utf16 && c > 0xFFFF) {
        c -= 0x10000;
        out.push_back(static_cast<Unit>(0xD800 + (c >> 10)));
        out.push_back(static_cast<Unit>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<Unit>(c));
    }
}

void appendUtf8(std::string& out, uint32_t c) {
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

template <bool Utf16, class String>
std::optional<String> fromUtf8(std::string_view utf8) {
    String out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        uint32_t c;
        size_t extra;
        uint32_t minimum;
        if (lead < 0x80) {
            c = lead;
            extra = 0;
            minimum = 0;
        } else if ((lead & 0xE0) == 0xC0) {
            c = lead & 0x1Fu;
            extra = 1;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            c = lead & 0x0Fu;
            extra = 2;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            c = lead & 0x07u;
            extra = 3;
            minimum = 0x10000;
        } else {
            return std::nullopt;
        }
        if (utf8.size() - i <= extra) return std::nullopt;
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (next & 0x3Fu);
        }
        if (c < minimum || c > 0x10FFFF || isSurrogate(c)) return std::nullopt;
        appendUnits<Utf16>(out, c);
        i += extra + 1;
    }
    return out;
}

template <bool Utf16, class View>
std::optional<std::string> toUtf8(View units) {
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        auto c = static_cast<uint32_t>(units[i]);
        if (Utf16) c &= 0xFFFF;
        if (Utf16 && c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == units.size()) return std::nullopt;
            const auto low = static_cast<uint32_t>(units[i + 1]) & 0xFFFF;
            if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        } else if (isSurrogate(c) || c > 0x10FFFF) {
            return std::nullopt;
        }
        appendUtf8(out, c);
    }
    return out;
}

}  // namespace

std::optional<std::wstring> utf8ToWide(std::string_view utf8) { return fromUtf8<kWideIsUtf16, std::wstring>(utf8); }

std::optional<std::string> wideToUtf8(std::wstring_view wide) { return toUtf8<kWideIsUtf16>(wide); }

std::optional<std::u16string> utf8ToUtf16(std::string_view utf8) { return fromUtf8<true, std::u16string>(utf8); }

std::optional<std::string> utf16ToUtf8(std::u16string_view utf16) { return toUtf8<true>(utf16); }

}  // namespace MorvalePlatform
