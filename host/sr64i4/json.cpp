// JSON rendering of expressions for korvel's output and for tests.
#include <charconv>
#include <cmath>
#include <string>

#include "host/sr64i4/sr_host.h"

namespace {

void appendString(std::string& out, const std::string& text) {
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
                    out.push_back(ch);  // UTF-8 passes through: JSON text is UTF-8
                }
        }
    }
    out.push_back('"');
}

// Shortest text that reads back as the same double, always with a decimal
// point or exponent so it stays recognisably real. JSON has no infinities or
// NaN: they become null.
std::string realText(double x) {
    if (!std::isfinite(x)) return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

bool isAssociation(const SrValue& v) {
    if (!v.isFunction("Association")) return false;
    for (const SrValue& rule : v.args)
        if (!rule.isFunction("Rule") || rule.args.size() != 2) return false;
    return true;
}

void append(std::string& out, const SrValue& v);

// Keys of an object: strings as they are, anything else as its JSON text.
std::string keyText(const SrValue& key) {
    if (key.kind == SrValue::Kind::String) return key.text;
    std::string text;
    append(text, key);
    return text;
}

void appendArray(std::string& out, const std::vector<SrValue>& items) {
    out.push_back('[');
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out.push_back(',');
        append(out, items[i]);
    }
    out.push_back(']');
}

void append(std::string& out, const SrValue& v) {
    switch (v.kind) {
        case SrValue::Kind::Integer: out += std::to_string(v.integer); return;
        case SrValue::Kind::Real: out += realText(v.real); return;
        case SrValue::Kind::String: appendString(out, v.text); return;
        case SrValue::Kind::Function: break;
    }
    if (isAssociation(v)) {
        out.push_back('{');
        for (std::size_t i = 0; i < v.args.size(); ++i) {
            if (i > 0) out.push_back(',');
            appendString(out, keyText(v.args[i].args[0]));
            out.push_back(':');
            append(out, v.args[i].args[1]);
        }
        out.push_back('}');
    } else if (v.isFunction("List")) {
        appendArray(out, v.args);
    } else {
        out += "{\"head\":";
        appendString(out, v.head);
        out += ",\"args\":";
        appendArray(out, v.args);
        out.push_back('}');
    }
}

}  // namespace

std::string srhost_toJson(const SrValue& expression) {
    std::string out;
    append(out, expression);
    return out;
}
