#include "host/sr64i4/sr_value.h"

#include <ostream>

#include "host/sr64i4/sr_host.h"

bool operator==(const SrValue& a, const SrValue& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case SrValue::Kind::Function: return a.head == b.head && a.args == b.args;
        case SrValue::Kind::Integer: return a.integer == b.integer;
        case SrValue::Kind::Real: return a.real == b.real;
        case SrValue::Kind::String: return a.text == b.text;
    }
    return false;
}

void PrintTo(const SrValue& value, std::ostream* out) { *out << srhost_toJson(value); }
