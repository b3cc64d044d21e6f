// AttributeStore: the key/value store behind every IMFAttributes of the Linux
// implementation (attribute stores, media types, samples). Methods mirror
// IMFAttributes one to one and return the same results; they are not
// instrumented, so the implementation can use them freely. Items keep their
// insertion order (GetItemByIndex). Thread-safe; LockStore/UnlockStore hold
// the store's lock across several calls, as on Windows.
#pragma once

#include <mutex>
#include <utility>
#include <vector>

#include "platform/media_foundation.h"

namespace MorvalePlatform {

class AttributeStore {
public:
    AttributeStore() = default;
    AttributeStore(const AttributeStore&) = delete;
    AttributeStore& operator=(const AttributeStore&) = delete;
    ~AttributeStore();

    HRESULT getItem(REFGUID key, PROPVARIANT* value) const;
    HRESULT getItemType(REFGUID key, MF_ATTRIBUTE_TYPE* type) const;
    HRESULT compareItem(REFGUID key, REFPROPVARIANT value, BOOL* result) const;
    HRESULT compare(IMFAttributes* theirs, MF_ATTRIBUTES_MATCH_TYPE matchType, BOOL* result) const;
    HRESULT getUINT32(REFGUID key, UINT32* value) const;
    HRESULT getUINT64(REFGUID key, UINT64* value) const;
    HRESULT getDouble(REFGUID key, double* value) const;
    HRESULT getGUID(REFGUID key, GUID* value) const;
    HRESULT getStringLength(REFGUID key, UINT32* length) const;
    HRESULT getString(REFGUID key, LPWSTR buffer, UINT32 bufferSize, UINT32* length) const;
    HRESULT getAllocatedString(REFGUID key, LPWSTR* value, UINT32* length) const;
    HRESULT getBlobSize(REFGUID key, UINT32* size) const;
    HRESULT getBlob(REFGUID key, UINT8* buffer, UINT32 bufferSize, UINT32* size) const;
    HRESULT getAllocatedBlob(REFGUID key, UINT8** buffer, UINT32* size) const;
    HRESULT getUnknown(REFGUID key, REFIID riid, LPVOID* object) const;
    HRESULT setItem(REFGUID key, REFPROPVARIANT value);
    HRESULT deleteItem(REFGUID key);
    HRESULT deleteAllItems();
    HRESULT setUINT32(REFGUID key, UINT32 value);
    HRESULT setUINT64(REFGUID key, UINT64 value);
    HRESULT setDouble(REFGUID key, double value);
    HRESULT setGUID(REFGUID key, REFGUID value);
    HRESULT setString(REFGUID key, LPCWSTR value);
    HRESULT setBlob(REFGUID key, const UINT8* buffer, UINT32 size);
    HRESULT setUnknown(REFGUID key, IUnknown* object);
    HRESULT lockStore();
    HRESULT unlockStore();
    HRESULT getCount(UINT32* count) const;
    HRESULT getItemByIndex(UINT32 index, GUID* key, PROPVARIANT* value) const;
    HRESULT copyAllItems(IMFAttributes* destination) const;

private:
    using Item = std::pair<GUID, PROPVARIANT>;

    const PROPVARIANT* find(REFGUID key) const;
    // Stores a copy of value (the store owns the copy).
    HRESULT store(REFGUID key, const PROPVARIANT& value);

    mutable std::recursive_mutex mutex_;
    std::vector<Item> items_;
};

// Whether a variant holds one of the value types an attribute may have.
bool isAttributeType(VARTYPE type);
// Equal type and equal value (strings, GUIDs and blobs by content).
bool attributeValuesEqual(const PROPVARIANT& a, const PROPVARIANT& b);

}  // namespace MorvalePlatform
