// freeMediaType: releases what an AM_MEDIA_TYPE owns (its format block,
// allocated with CoTaskMemAlloc, and its pUnk reference) and leaves the
// structure empty, as DirectShow's base classes' FreeMediaType does; the
// structure itself stays the caller's. DirectShow hands out media types this
// way (IPin::ConnectionMediaType, ISampleGrabber::GetConnectedMediaType), and
// the caller owns what they point to. Safe to call twice.
#pragma once

#include "platform/direct_show.h"

namespace MorvalePlatform {

inline void freeMediaType(AM_MEDIA_TYPE& type) {
    if (type.cbFormat != 0 || type.pbFormat != nullptr) CoTaskMemFree(type.pbFormat);
    type.cbFormat = 0;
    type.pbFormat = nullptr;
    if (type.pUnk != nullptr) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

// An AM_MEDIA_TYPE a call fills, freed when the guard goes.
class MediaTypeGuard {
public:
    MediaTypeGuard() noexcept : type_{} {}
    ~MediaTypeGuard() { freeMediaType(type_); }
    MediaTypeGuard(const MediaTypeGuard&) = delete;
    MediaTypeGuard& operator=(const MediaTypeGuard&) = delete;

    AM_MEDIA_TYPE* get() noexcept { return &type_; }
    AM_MEDIA_TYPE* operator->() noexcept { return &type_; }
    const AM_MEDIA_TYPE& operator*() const noexcept { return type_; }

private:
    AM_MEDIA_TYPE type_;
};

}  // namespace MorvalePlatform
