// AttributeStore; see attribute_store.h.
#include "platform/linux/attribute_store.h"

#include <cstring>
#include <cwchar>

#include "platform/com_ptr.h"
#include "platform/linux/test_hooks.h"
#include "platform/prop_variant_guard.h"

namespace MorvalePlatform {

namespace {

const HRESULT kInsufficientBuffer = HRESULT_FROM_WIN32(122);  // ERROR_INSUFFICIENT_BUFFER

}  // namespace

bool isAttributeType(VARTYPE type) {
    switch (type) {
        case VT_UI4:
        case VT_UI8:
        case VT_R8:
        case VT_CLSID:
        case VT_LPWSTR:
        case VT_VECTOR | VT_UI1:
        case VT_UNKNOWN: return true;
        default: return false;
    }
}

bool attributeValuesEqual(const PROPVARIANT& a, const PROPVARIANT& b) {
    if (a.vt != b.vt) return false;
    switch (a.vt) {
        case VT_UI4: return a.ulVal == b.ulVal;
        case VT_UI8: return a.uhVal.QuadPart == b.uhVal.QuadPart;
        case VT_R8: return a.dblVal == b.dblVal;
        case VT_CLSID: return a.puuid && b.puuid && *a.puuid == *b.puuid;
        case VT_LPWSTR: return a.pwszVal && b.pwszVal && std::wcscmp(a.pwszVal, b.pwszVal) == 0;
        case VT_VECTOR | VT_UI1:
            return a.caub.cElems == b.caub.cElems &&
                   (a.caub.cElems == 0 || std::memcmp(a.caub.pElems, b.caub.pElems, a.caub.cElems) == 0);
        case VT_UNKNOWN: return a.punkVal == b.punkVal;
        default: return false;
    }
}

AttributeStore::~AttributeStore() {
    Hooks::InternalCalls internal;
    for (auto& item : items_) PropVariantClear(&item.second);
}

const PROPVARIANT* AttributeStore::find(REFGUID key) const {
    for (const auto& item : items_) {
        if (item.first == key) return &item.second;
    }
    return nullptr;
}

HRESULT AttributeStore::store(REFGUID key, const PROPVARIANT& value) {
    Hooks::InternalCalls internal;
    if (!isAttributeType(value.vt)) return MF_E_INVALIDTYPE;
    PROPVARIANT copy;
    PropVariantInit(&copy);
    if (HRESULT hr = PropVariantCopy(&copy, &value); FAILED(hr)) return hr;
    std::lock_guard lock(mutex_);
    for (auto& item : items_) {
        if (item.first == key) {
            PropVariantClear(&item.second);
            item.second = copy;
            return S_OK;
        }
    }
    items_.emplace_back(key, copy);
    return S_OK;
}

HRESULT AttributeStore::getItem(REFGUID key, PROPVARIANT* value) const {
    Hooks::InternalCalls internal;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    if (!value) return S_OK;
    return PropVariantCopy(value, found);
}

HRESULT AttributeStore::getItemType(REFGUID key, MF_ATTRIBUTE_TYPE* type) const {
    if (!type) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    *type = static_cast<MF_ATTRIBUTE_TYPE>(found->vt);
    return S_OK;
}

HRESULT AttributeStore::compareItem(REFGUID key, REFPROPVARIANT value, BOOL* result) const {
    if (!result) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    *result = found && attributeValuesEqual(*found, value) ? TRUE : FALSE;
    return S_OK;
}

HRESULT AttributeStore::compare(IMFAttributes* theirs, MF_ATTRIBUTES_MATCH_TYPE matchType, BOOL* result) const {
    if (!theirs || !result) return E_POINTER;
    Hooks::InternalCalls internal;
    std::lock_guard lock(mutex_);
    UINT32 theirCount = 0;
    if (HRESULT hr = theirs->GetCount(&theirCount); FAILED(hr)) return hr;
    // Whether every item of ours is in theirs with an equal value.
    auto oursInTheirs = [&](bool onlyShared) {
        for (const auto& item : items_) {
            PropVariantGuard other;
            if (FAILED(theirs->GetItem(item.first, other.get()))) {
                if (onlyShared) continue;
                return false;
            }
            if (!attributeValuesEqual(item.second, other.value())) return false;
        }
        return true;
    };
    // Whether every item of theirs is in ours with an equal value.
    auto theirsInOurs = [&]() {
        for (UINT32 i = 0; i < theirCount; ++i) {
            GUID key;
            PropVariantGuard other;
            if (FAILED(theirs->GetItemByIndex(i, &key, other.get()))) return false;
            const PROPVARIANT* mine = find(key);
            if (!mine || !attributeValuesEqual(*mine, other.value())) return false;
        }
        return true;
    };
    bool match = false;
    switch (matchType) {
        case MF_ATTRIBUTES_MATCH_OUR_ITEMS: match = oursInTheirs(false); break;
        case MF_ATTRIBUTES_MATCH_THEIR_ITEMS: match = theirsInOurs(); break;
        case MF_ATTRIBUTES_MATCH_ALL_ITEMS: match = items_.size() == theirCount && oursInTheirs(false); break;
        case MF_ATTRIBUTES_MATCH_INTERSECTION: match = oursInTheirs(true); break;
        case MF_ATTRIBUTES_MATCH_SMALLER: match = items_.size() <= theirCount ? oursInTheirs(false) : theirsInOurs(); break;
        default: return E_INVALIDARG;
    }
    *result = match ? TRUE : FALSE;
    return S_OK;
}

HRESULT AttributeStore::getUINT32(REFGUID key, UINT32* value) const {
    if (!value) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    if (found->vt != VT_UI4) return MF_E_INVALIDTYPE;
    *value = found->ulVal;
    return S_OK;
}

HRESULT AttributeStore::getUINT64(REFGUID key, UINT64* value) const {
    if (!value) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    if (found->vt != VT_UI8) return MF_E_INVALIDTYPE;
    *value = found->uhVal.QuadPart;
    return S_OK;
}

HRESULT AttributeStore::getDouble(REFGUID key, double* value) const {
    if (!value) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    if (found->vt != VT_R8) return MF_E_INVALIDTYPE;
    *value = found->dblVal;
    return S_OK;
}

HRESULT AttributeStore::getGUID(REFGUID key, GUID* value) const {
    if (!value) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    if (found->vt != VT_CLSID) return MF_E_INVALIDTYPE;
    *value = *found->puuid;
    return S_OK;
}

HRESULT AttributeStore::getStringLength(REFGUID key, UINT32* length) const {
    if (!length) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    if (found->vt != VT_LPWSTR) return MF_E_INVALIDTYPE;
    *length = static_cast<UINT32>(std::wcslen(found->pwszVal));
    return S_OK;
}

HRESULT AttributeStore::getString(REFGUID key, LPWSTR buffer, UINT32 bufferSize, UINT32* length) const {
    if (!buffer) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    if (found->vt != VT_LPWSTR) return MF_E_INVALIDTYPE;
    const size_t size = std::wcslen(found->pwszVal);
    if (size + 1 > bufferSize) return kInsufficientBuffer;
    std::wmemcpy(buffer, found->pwszVal, size + 1);
    if (length) *length = static_cast<UINT32>(size);
    return S_OK;
}

HRESULT AttributeStore::getAllocatedString(REFGUID key, LPWSTR* value, UINT32* length) const {
    if (!value || !length) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    if (found->vt != VT_LPWSTR) return MF_E_INVALIDTYPE;
    const size_t size = std::wcslen(found->pwszVal);
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((size + 1) * sizeof(WCHAR)));
    if (!copy) return E_OUTOFMEMORY;
    std::wmemcpy(copy, found->pwszVal, size + 1);
    *value = copy;
    *length = static_cast<UINT32>(size);
    return S_OK;
}

HRESULT AttributeStore::getBlobSize(REFGUID key, UINT32* size) const {
    if (!size) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    if (found->vt != (VT_VECTOR | VT_UI1)) return MF_E_INVALIDTYPE;
    *size = found->caub.cElems;
    return S_OK;
}

HRESULT AttributeStore::getBlob(REFGUID key, UINT8* buffer, UINT32 bufferSize, UINT32* size) const {
    if (!buffer) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    if (found->vt != (VT_VECTOR | VT_UI1)) return MF_E_INVALIDTYPE;
    if (found->caub.cElems > bufferSize) return kInsufficientBuffer;
    if (found->caub.cElems) std::memcpy(buffer, found->caub.pElems, found->caub.cElems);
    if (size) *size = found->caub.cElems;
    return S_OK;
}

HRESULT AttributeStore::getAllocatedBlob(REFGUID key, UINT8** buffer, UINT32* size) const {
    if (!buffer || !size) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    if (found->vt != (VT_VECTOR | VT_UI1)) return MF_E_INVALIDTYPE;
    auto* copy = static_cast<UINT8*>(CoTaskMemAlloc(found->caub.cElems));
    if (!copy) return E_OUTOFMEMORY;
    if (found->caub.cElems) std::memcpy(copy, found->caub.pElems, found->caub.cElems);
    *buffer = copy;
    *size = found->caub.cElems;
    return S_OK;
}

HRESULT AttributeStore::getUnknown(REFGUID key, REFIID riid, LPVOID* object) const {
    if (!object) return E_POINTER;
    std::lock_guard lock(mutex_);
    const PROPVARIANT* found = find(key);
    if (!found) return MF_E_ATTRIBUTENOTFOUND;
    if (found->vt != VT_UNKNOWN) return MF_E_INVALIDTYPE;
    if (!found->punkVal) return E_NOINTERFACE;
    return found->punkVal->QueryInterface(riid, object);
}

HRESULT AttributeStore::setItem(REFGUID key, REFPROPVARIANT value) { return store(key, value); }

HRESULT AttributeStore::deleteItem(REFGUID key) {
    Hooks::InternalCalls internal;
    std::lock_guard lock(mutex_);
    for (auto item = items_.begin(); item != items_.end(); ++item) {
        if (item->first == key) {
            PropVariantClear(&item->second);
            items_.erase(item);
            break;
        }
    }
    return S_OK;
}

HRESULT AttributeStore::deleteAllItems() {
    Hooks::InternalCalls internal;
    std::lock_guard lock(mutex_);
    for (auto& item : items_) PropVariantClear(&item.second);
    items_.clear();
    return S_OK;
}

HRESULT AttributeStore::setUINT32(REFGUID key, UINT32 value) {
    PROPVARIANT variant;
    PropVariantInit(&variant);
    variant.vt = VT_UI4;
    variant.ulVal = value;
    return store(key, variant);
}

HRESULT AttributeStore::setUINT64(REFGUID key, UINT64 value) {
    PROPVARIANT variant;
    PropVariantInit(&variant);
    variant.vt = VT_UI8;
    variant.uhVal.QuadPart = value;
    return store(key, variant);
}

HRESULT AttributeStore::setDouble(REFGUID key, double value) {
    PROPVARIANT variant;
    PropVariantInit(&variant);
    variant.vt = VT_R8;
    variant.dblVal = value;
    return store(key, variant);
}

HRESULT AttributeStore::setGUID(REFGUID key, REFGUID value) {
    GUID copy = value;
    PROPVARIANT variant;
    PropVariantInit(&variant);
    variant.vt = VT_CLSID;
    variant.puuid = &copy;
    return store(key, variant);
}

HRESULT AttributeStore::setString(REFGUID key, LPCWSTR value) {
    if (!value) return E_POINTER;
    PROPVARIANT variant;
    PropVariantInit(&variant);
    variant.vt = VT_LPWSTR;
    variant.pwszVal = const_cast<LPWSTR>(value);
    return store(key, variant);
}

HRESULT AttributeStore::setBlob(REFGUID key, const UINT8* buffer, UINT32 size) {
    if (!buffer && size) return E_POINTER;
    PROPVARIANT variant;
    PropVariantInit(&variant);
    variant.vt = VT_VECTOR | VT_UI1;
    variant.caub.cElems = size;
    variant.caub.pElems = const_cast<UINT8*>(buffer);
    return store(key, variant);
}

HRESULT AttributeStore::setUnknown(REFGUID key, IUnknown* object) {
    PROPVARIANT variant;
    PropVariantInit(&variant);
    variant.vt = VT_UNKNOWN;
    variant.punkVal = object;
    return store(key, variant);
}

HRESULT AttributeStore::lockStore() {
    mutex_.lock();
    return S_OK;
}

HRESULT AttributeStore::unlockStore() {
    mutex_.unlock();
    return S_OK;
}

HRESULT AttributeStore::getCount(UINT32* count) const {
    if (!count) return E_POINTER;
    std::lock_guard lock(mutex_);
    *count = static_cast<UINT32>(items_.size());
    return S_OK;
}

HRESULT AttributeStore::getItemByIndex(UINT32 index, GUID* key, PROPVARIANT* value) const {
    if (!key) return E_POINTER;
    Hooks::InternalCalls internal;
    std::lock_guard lock(mutex_);
    if (index >= items_.size()) return E_INVALIDARG;
    *key = items_[index].first;
    if (!value) return S_OK;
    return PropVariantCopy(value, &items_[index].second);
}

HRESULT AttributeStore::copyAllItems(IMFAttributes* destination) const {
    if (!destination) return E_POINTER;
    Hooks::InternalCalls internal;
    std::lock_guard lock(mutex_);
    if (HRESULT hr = destination->DeleteAllItems(); FAILED(hr)) return hr;
    for (const auto& item : items_) {
        if (HRESULT hr = destination->SetItem(item.first, item.second); FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace MorvalePlatform
