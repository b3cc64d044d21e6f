// JSON text for strings and reals: the one writer behind srhost_toJson and
// korvel's results and error reports.
#pragma once

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace sr {

// text as a quoted JSON string. Control characters and DEL are escaped;
// UTF-8 passes through, as JSON text is UTF-8.
inline void appendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += "\\u00";
                    out.push_back(kHex[c >> 4]);
                    out.push_back(kHex[c & 0xF]);
                } else {
                    out.push_back(ch);
                }
        }
    }
    out.push_back('"');
}

inline std::string jsonString(std::string_view text) {
    std::string out;
    appendJsonString(out, text);
    return out;
}

// The shortest text that reads back as the same double (0.04, not
// 0.040000000000000001), always with a decimal point or an exponent so that
// an integral value stays recognisably real (2.0, 1e+21). JSON has no
// infinities or NaN: they become null.
inline std::string jsonReal(double x) {
    if (!std::isfinite(x)) return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

}  // namespace sr
