// PropVariantGuard: a PROPVARIANT that starts empty (PropVariantInit) and is
// cleared (PropVariantClear) when it goes, so whatever a call stored in it,
// a string, a blob or an interface, is freed on every path.
#pragma once

#include "platform/media_foundation.h"

namespace MorvalePlatform {

class PropVariantGuard {
public:
    PropVariantGuard() noexcept { PropVariantInit(&value_); }
    PropVariantGuard(const PropVariantGuard&) = delete;
    PropVariantGuard& operator=(const PropVariantGuard&) = delete;
    ~PropVariantGuard() { PropVariantClear(&value_); }

    // Replaces the value with a signed 64-bit number (VT_I8), the form a
    // reader position is given in.
    void setInt64(LONGLONG number) noexcept {
        PropVariantClear(&value_);
        value_.vt = VT_I8;
        value_.hVal.QuadPart = number;
    }

    PROPVARIANT* get() noexcept { return &value_; }
    const PROPVARIANT& value() const noexcept { return value_; }
    PROPVARIANT* operator->() noexcept { return &value_; }
    HRESULT clear() noexcept { return PropVariantClear(&value_); }

private:
    PROPVARIANT value_;
};

}  // namespace MorvalePlatform
