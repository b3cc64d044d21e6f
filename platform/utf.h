// Conversions between UTF-8, UTF-16 and code points. The host passes paths
// as UTF-8 and the platform takes wide strings (LPCWSTR): UTF-16 on Windows,
// where wchar_t has 16 bits, and one wchar_t per code point on Linux, where
// it has 32; both directions use the same form, so a path survives the round
// trip unchanged. Depends on nothing but the standard library, so the host
// stand-ins use the same conversions (it builds as its own small library).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace MorvalePlatform {

// No value when the input is not well-formed UTF-8 (bad lead or continuation
// bytes, truncated or overlong sequences, surrogates, code points past
// U+10FFFF).
std::optional<std::wstring> utf8ToWide(std::string_view utf8);

// No value when the input holds an unpaired surrogate or a value that is not
// a code point.
std::optional<std::string> wideToUtf8(std::wstring_view wide);

// The same conversions to and from UTF-16 whatever the width of wchar_t:
// exactly what utf8ToWide and wideToUtf8 do on Windows, available on every
// system so that the surrogate-pair rules are exercised everywhere.
std::optional<std::u16string> utf8ToUtf16(std::string_view utf8);
std::optional<std::string> utf16ToUtf8(std::u16string_view utf16);

// The code points of well-formed UTF-8 or UTF-16 (rules as above).
std::optional<std::u32string> decodeUtf8(std::string_view utf8);
std::optional<std::u32string> decodeUtf16(std::u16string_view utf16);

// True when every value is a Unicode scalar value: at most U+10FFFF and not
// a surrogate. Only such text may be encoded.
bool isScalarText(std::u32string_view codePoints);

// Encodings of scalar values (see isScalarText).
std::string encodeUtf8(std::u32string_view codePoints);
std::u16string encodeUtf16(std::u32string_view codePoints);

}  // namespace MorvalePlatform
