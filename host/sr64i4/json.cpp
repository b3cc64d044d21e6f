// JSON rendering of expressions for korvel's output and for tests.
#include <string>

#include "host/sr64i4/json_text.h"
#include "host/sr64i4/sr_host.h"

namespace {

using sr::appendJsonString;
using sr::jsonReal;

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
        case SrValue::Kind::Real: out += jsonReal(v.real); return;
        case SrValue::Kind::String: appendJsonString(out, v.text); return;
        case SrValue::Kind::Function: break;
    }
    if (isAssociation(v)) {
        out.push_back('{');
        for (std::size_t i = 0; i < v.args.size(); ++i) {
            if (i > 0) out.push_back(',');
            appendJsonString(out, keyText(v.args[i].args[0]));
            out.push_back(':');
            append(out, v.args[i].args[1]);
        }
        out.push_back('}');
    } else if (v.isFunction("List")) {
        appendArray(out, v.args);
    } else {
        out += "{\"head\":";
        appendJsonString(out, v.head);
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
