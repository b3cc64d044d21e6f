// Checks shared by the get functions: something to read, and of which kind.
#pragma once

#include <string>

#include "host/sr64i4/api_call.h"

namespace sr {

inline const char* kindName(const SrValue& v) {
    switch (v.kind) {
        case SrValue::Kind::Function: return "a function";
        case SrValue::Kind::Integer: return "an integer";
        case SrValue::Kind::Real: return "a real";
        case SrValue::Kind::String: return "a string";
    }
    return "an expression";
}

// The next expression the library reads on link; fails with SR_ERR_EMPTY.
inline const SrValue& nextToRead(SRLinkRecord& link) {
    Channel& in = link.libraryReads();
    if (in.empty()) fail(SR_ERR_EMPTY, "nothing to read");
    return in.front();
}

// The next expression, which must be of kind; fails with SR_ERR_TYPE.
inline const SrValue& nextOfKind(SRLinkRecord& link, SrValue::Kind kind, const char* wanted) {
    const SrValue& next = nextToRead(link);
    if (next.kind != kind)
        fail(SR_ERR_TYPE, std::string("expected ") + wanted + " but the next expression is " + kindName(next));
    return next;
}

inline void requireOut(const void* pointer) {
    if (pointer == nullptr) fail(SR_ERR_ARGUMENT, "null output pointer");
}

}  // namespace sr
