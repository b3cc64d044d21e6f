// PropVariantClear and PropVariantCopy for the value types media attributes
// use. Owned memory is task memory (CoTaskMemAlloc), as on Windows.
#include <cstring>
#include <cwchar>

#include "platform/linux/test_hooks.h"
#include "platform/media_foundation.h"

extern "C" HRESULT PropVariantClear(PROPVARIANT* pvar) {
    MORVALE_INSTRUMENTED_CALL("PropVariantClear");
    if (!pvar) return S_OK;
    switch (pvar->vt) {
        case VT_LPWSTR: CoTaskMemFree(pvar->pwszVal); break;
        case VT_LPSTR: CoTaskMemFree(pvar->pszVal); break;
        case VT_CLSID: CoTaskMemFree(pvar->puuid); break;
        case VT_BLOB: CoTaskMemFree(pvar->blob.pBlobData); break;
        case VT_VECTOR | VT_UI1: CoTaskMemFree(pvar->caub.pElems); break;
        case VT_UNKNOWN:
            if (pvar->punkVal) pvar->punkVal->Release();
            break;
        default: break;
    }
    PropVariantInit(pvar);
    return S_OK;
}

namespace {

template <class T>
T* copyToTaskMemory(const T* source, size_t count) {
    if (!source) return nullptr;
    auto* copy = static_cast<T*>(CoTaskMemAlloc(count * sizeof(T)));
    if (copy) std::memcpy(copy, source, count * sizeof(T));
    return copy;
}

}  // namespace

extern "C" HRESULT PropVariantCopy(PROPVARIANT* pvarDest, const PROPVARIANT* pvarSrc) {
    MORVALE_INSTRUMENTED_CALL("PropVariantCopy");
    if (!pvarDest || !pvarSrc) return E_POINTER;
    PROPVARIANT copy = *pvarSrc;
    bool outOfMemory = false;
    switch (pvarSrc->vt) {
        case VT_LPWSTR:
            copy.pwszVal = copyToTaskMemory(pvarSrc->pwszVal, pvarSrc->pwszVal ? std::wcslen(pvarSrc->pwszVal) + 1 : 0);
            outOfMemory = pvarSrc->pwszVal && !copy.pwszVal;
            break;
        case VT_LPSTR:
            copy.pszVal = copyToTaskMemory(pvarSrc->pszVal, pvarSrc->pszVal ? std::strlen(pvarSrc->pszVal) + 1 : 0);
            outOfMemory = pvarSrc->pszVal && !copy.pszVal;
            break;
        case VT_CLSID:
            copy.puuid = copyToTaskMemory(pvarSrc->puuid, 1);
            outOfMemory = pvarSrc->puuid && !copy.puuid;
            break;
        case VT_BLOB:
            copy.blob.pBlobData = copyToTaskMemory(pvarSrc->blob.pBlobData, pvarSrc->blob.cbSize);
            outOfMemory = pvarSrc->blob.cbSize && !copy.blob.pBlobData;
            break;
        case VT_VECTOR | VT_UI1:
            copy.caub.pElems = copyToTaskMemory(pvarSrc->caub.pElems, pvarSrc->caub.cElems);
            outOfMemory = pvarSrc->caub.cElems && !copy.caub.pElems;
            break;
        case VT_UNKNOWN:
            if (copy.punkVal) copy.punkVal->AddRef();
            break;
        default: break;
    }
    if (outOfMemory) return E_OUTOFMEMORY;
    *pvarDest = copy;
    return S_OK;
}
