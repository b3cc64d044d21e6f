// Conversions between the text encodings the link carries. Strings are stored
// as UTF-8; every put decodes its units to code points and every get encodes
// them again, so a malformed put is refused instead of stored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sr {

// Code points of well-formed UTF-8 (no overlong forms, surrogates or values
// above U+10FFFF); nullopt otherwise.
std::optional<std::u32string> decodeUtf8(std::string_view bytes);
// Code points of well-formed UTF-16 (surrogates only in pairs).
std::optional<std::u32string> decodeUtf16(std::u16string_view units);
// True when every value is a Unicode scalar value (not a surrogate, at most U+10FFFF).
bool isScalarText(std::u32string_view codePoints);

std::string encodeUtf8(std::u32string_view codePoints);
std::u16string encodeUtf16(std::u32string_view codePoints);

}  // namespace sr
