// The exported string functions in the six encodings. Text is stored as
// UTF-8: a put decodes its units (malformed text is refused) and a get
// encodes the stored text in the wanted units and lends the buffer, which
// carries a terminating zero, until the matching release.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/sr64i4/api_call.h"
#include "host/sr64i4/reading.h"
#include "link/sr64i4.h"
#include "platform/utf.h"

namespace sr {

using MorvalePlatform::decodeUtf16;
using MorvalePlatform::decodeUtf8;
using MorvalePlatform::encodeUtf16;
using MorvalePlatform::encodeUtf8;
using MorvalePlatform::isScalarText;

namespace {

int putText(const char* name, SRLINK handle, const std::optional<std::u32string>& codePoints) {
    return onLink(name, handle, [&](SRLinkRecord& link) {
        if (!codePoints || !isScalarText(*codePoints)) fail(SR_ERR_ARGUMENT, "malformed or missing text");
        SrValue node = SrValue::ofString(encodeUtf8(*codePoints));
        node.origin = name;
        link.libraryWrites().put(std::move(node));
        return 1;
    });
}

// Units given by pointer and length, as a string of Char; nullopt for a null
// pointer with a positive length or a negative length.
template <class Char, class Unit>
std::optional<std::basic_string<Char>> copyUnits(const Unit* units, int length) {
    if (length < 0 || (units == nullptr && length > 0)) return std::nullopt;
    std::basic_string<Char> out;
    for (int i = 0; i < length; ++i) out.push_back(static_cast<Char>(units[i]));
    return out;
}

std::optional<std::u32string> fromUtf8(const unsigned char* bytes, int length) {
    auto raw = copyUnits<char>(bytes, length);
    return raw ? decodeUtf8(*raw) : std::nullopt;
}

std::optional<std::u32string> fromUtf16(const unsigned short* units, int length) {
    auto raw = copyUnits<char16_t>(units, length);
    return raw ? decodeUtf16(*raw) : std::nullopt;
}

// The next string's code points, without consuming it.
std::u32string peekText(SRLinkRecord& link) {
    return decodeUtf8(nextOfKind(link, SrValue::Kind::String, "a string").text).value_or(std::u32string());
}

// Consumes the next string and lends text in its place; length is the length
// reported to the caller, checked again on release.
template <class Text>
const Text& consumeAndLend(SRLinkRecord& link, Text text, long long length) {
    link.libraryReads().take();
    return link.loans.lend(std::move(text), length, [](Text& t) -> const void* { return t.data(); });
}

// The units of text as Unit with a terminating zero, ready to lend.
template <class Unit, class Text>
std::vector<Unit> terminated(const Text& text) {
    std::vector<Unit> out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

// SRGetUTF8String leaves its counts out (-1) when the host side asks so.
int utf8Count(std::size_t n) { return State::get().unknownStringLengths ? -1 : static_cast<int>(n); }

}  // namespace
}  // namespace sr

using sr::onLink;
using sr::releaseOnLink;

extern "C" {

SR_API int SRPutString(SRLINK link, const char* text) {
    return sr::putText("SRPutString", link, text ? sr::decodeUtf8(text) : std::nullopt);
}

SR_API int SRGetString(SRLINK link, const char** text) {
    return onLink("SRGetString", link, [&](SRLinkRecord& l) {
        sr::requireOut(text);
        std::string utf8 = sr::encodeUtf8(sr::peekText(l));
        *text = sr::consumeAndLend(l, std::move(utf8), -1).c_str();
        return 1;
    });
}

SR_API void SRReleaseString(SRLINK link, const char* text) {
    releaseOnLink("SRReleaseString", link, [&](SRLinkRecord& l) { return l.loans.release(text); });
}

SR_API int SRPutByteString(SRLINK link, const unsigned char* bytes, int length) {
    return sr::putText("SRPutByteString", link, sr::copyUnits<char32_t>(bytes, length));
}

SR_API int SRGetByteString(SRLINK link, const unsigned char** bytes, int* length, int missing) {
    return onLink("SRGetByteString", link, [&](SRLinkRecord& l) {
        sr::requireOut(bytes);
        sr::requireOut(length);
        std::vector<unsigned char> out;
        for (char32_t c : sr::peekText(l))
            out.push_back(static_cast<unsigned char>(c <= 0xFF ? c : static_cast<char32_t>(missing)));
        const int n = static_cast<int>(out.size());
        *bytes = sr::consumeAndLend(l, sr::terminated<unsigned char>(out), n).data();
        *length = n;
        return 1;
    });
}

SR_API void SRReleaseByteString(SRLINK link, const unsigned char* bytes, int length) {
    releaseOnLink("SRReleaseByteString", link, [&](SRLinkRecord& l) { return l.loans.release(bytes, length); });
}

SR_API int SRPutUTF8String(SRLINK link, const unsigned char* bytes, int length) {
    return sr::putText("SRPutUTF8String", link, sr::fromUtf8(bytes, length));
}

SR_API int SRGetUTF8String(SRLINK link, const unsigned char** bytes, int* byteCount, int* charCount) {
    return onLink("SRGetUTF8String", link, [&](SRLinkRecord& l) {
        sr::requireOut(bytes);
        sr::requireOut(byteCount);
        sr::requireOut(charCount);
        const std::u32string text = sr::peekText(l);
        const std::string utf8 = sr::encodeUtf8(text);
        const int size = sr::utf8Count(utf8.size());
        *bytes = sr::consumeAndLend(l, sr::terminated<unsigned char>(utf8), size).data();
        *byteCount = size;
        *charCount = sr::utf8Count(text.size());
        return 1;
    });
}

SR_API void SRReleaseUTF8String(SRLINK link, const unsigned char* bytes, int byteCount) {
    releaseOnLink("SRReleaseUTF8String", link, [&](SRLinkRecord& l) { return l.loans.release(bytes, byteCount); });
}

SR_API int SRPutUTF16String(SRLINK link, const unsigned short* units, int length) {
    return sr::putText("SRPutUTF16String", link, sr::fromUtf16(units, length));
}

SR_API int SRGetUTF16String(SRLINK link, const unsigned short** units, int* length, int* charCount) {
    return onLink("SRGetUTF16String", link, [&](SRLinkRecord& l) {
        sr::requireOut(units);
        sr::requireOut(length);
        sr::requireOut(charCount);
        const std::u32string text = sr::peekText(l);
        const std::u16string u16 = sr::encodeUtf16(text);
        const int n = static_cast<int>(u16.size());
        *units = sr::consumeAndLend(l, sr::terminated<unsigned short>(u16), n).data();
        *length = n;
        *charCount = static_cast<int>(text.size());
        return 1;
    });
}

SR_API void SRReleaseUTF16String(SRLINK link, const unsigned short* units, int length) {
    releaseOnLink("SRReleaseUTF16String", link, [&](SRLinkRecord& l) { return l.loans.release(units, length); });
}

SR_API int SRPutUCS2String(SRLINK link, const unsigned short* units, int length) {
    return sr::putText("SRPutUCS2String", link, sr::copyUnits<char32_t>(units, length));
}

SR_API int SRGetUCS2String(SRLINK link, const unsigned short** units, int* length) {
    return onLink("SRGetUCS2String", link, [&](SRLinkRecord& l) {
        sr::requireOut(units);
        sr::requireOut(length);
        std::u16string ucs2;
        for (char32_t c : sr::peekText(l)) {
            if (c > 0xFFFF) sr::fail(SR_ERR_RANGE, "a character beyond U+FFFF has no UCS-2 form");
            ucs2.push_back(static_cast<char16_t>(c));
        }
        const int n = static_cast<int>(ucs2.size());
        *units = sr::consumeAndLend(l, sr::terminated<unsigned short>(ucs2), n).data();
        *length = n;
        return 1;
    });
}

SR_API void SRReleaseUCS2String(SRLINK link, const unsigned short* units, int length) {
    releaseOnLink("SRReleaseUCS2String", link, [&](SRLinkRecord& l) { return l.loans.release(units, length); });
}

SR_API int SRPutUTF32String(SRLINK link, const unsigned int* units, int length) {
    return sr::putText("SRPutUTF32String", link, sr::copyUnits<char32_t>(units, length));
}

SR_API int SRGetUTF32String(SRLINK link, const unsigned int** units, int* length) {
    return onLink("SRGetUTF32String", link, [&](SRLinkRecord& l) {
        sr::requireOut(units);
        sr::requireOut(length);
        const std::u32string text = sr::peekText(l);
        const int n = static_cast<int>(text.size());
        *units = sr::consumeAndLend(l, sr::terminated<unsigned int>(text), n).data();
        *length = n;
        return 1;
    });
}

SR_API void SRReleaseUTF32String(SRLINK link, const unsigned int* units, int length) {
    releaseOnLink("SRReleaseUTF32String", link, [&](SRLinkRecord& l) { return l.loans.release(units, length); });
}

}  // extern "C"
