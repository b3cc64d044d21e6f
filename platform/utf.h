// Conversion between the UTF-8 paths the host passes and the wide strings the
// platform takes (LPCWSTR). The wide form is UTF-16 on Windows, where wchar_t
// has 16 bits, and one wchar_t per code point on Linux, where it has 32; both
// directions use the same form, so a path survives the round trip unchanged.
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

}  // namespace MorvalePlatform
