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

}  // namespace MorvalePlatform
