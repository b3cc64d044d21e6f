// AttributesImpl<Interface>: implements the IMFAttributes part of any
// interface derived from it (IMFAttributes, IMFMediaType, IMFSample) over an
// AttributeStore. Each method is instrumented under "IMFAttributes::Name".
// The implementation reaches the store directly through attributes(), which
// bypasses instrumentation.
#pragma once

#include "platform/linux/attribute_store.h"
#include "platform/linux/com_object.h"

namespace MorvalePlatform {

template <class Interface>
class AttributesImpl : public ComObject<Interface> {
public:
    AttributeStore& attributes() noexcept { return store_; }
    const AttributeStore& attributes() const noexcept { return store_; }

#define MORVALE_ATTRIBUTE_METHOD(Name, call, Parameters, ...) \
    HRESULT STDMETHODCALLTYPE Name Parameters override {      \
        MORVALE_INSTRUMENTED_CALL("IMFAttributes::" #Name);   \
        return store_.call(__VA_ARGS__);                      \
    }

    MORVALE_ATTRIBUTE_METHOD(GetItem, getItem, (REFGUID key, PROPVARIANT* value), key, value)
    MORVALE_ATTRIBUTE_METHOD(GetItemType, getItemType, (REFGUID key, MF_ATTRIBUTE_TYPE* type), key, type)
    MORVALE_ATTRIBUTE_METHOD(CompareItem, compareItem, (REFGUID key, REFPROPVARIANT value, BOOL* result), key, value,
                             result)
    MORVALE_ATTRIBUTE_METHOD(Compare, compare, (IMFAttributes * theirs, MF_ATTRIBUTES_MATCH_TYPE type, BOOL* result),
                             theirs, type, result)
    MORVALE_ATTRIBUTE_METHOD(GetUINT32, getUINT32, (REFGUID key, UINT32* value), key, value)
    MORVALE_ATTRIBUTE_METHOD(GetUINT64, getUINT64, (REFGUID key, UINT64* value), key, value)
    MORVALE_ATTRIBUTE_METHOD(GetDouble, getDouble, (REFGUID key, double* value), key, value)
    MORVALE_ATTRIBUTE_METHOD(GetGUID, getGUID, (REFGUID key, GUID* value), key, value)
    MORVALE_ATTRIBUTE_METHOD(GetStringLength, getStringLength, (REFGUID key, UINT32* length), key, length)
    MORVALE_ATTRIBUTE_METHOD(GetString, getString, (REFGUID key, LPWSTR buffer, UINT32 size, UINT32* length), key,
                             buffer, size, length)
    MORVALE_ATTRIBUTE_METHOD(GetAllocatedString, getAllocatedString, (REFGUID key, LPWSTR* value, UINT32* length),
                             key, value, length)
    MORVALE_ATTRIBUTE_METHOD(GetBlobSize, getBlobSize, (REFGUID key, UINT32* size), key, size)
    MORVALE_ATTRIBUTE_METHOD(GetBlob, getBlob, (REFGUID key, UINT8* buffer, UINT32 bufferSize, UINT32* size), key,
                             buffer, bufferSize, size)
    MORVALE_ATTRIBUTE_METHOD(GetAllocatedBlob, getAllocatedBlob, (REFGUID key, UINT8** buffer, UINT32* size), key,
                             buffer, size)
    MORVALE_ATTRIBUTE_METHOD(GetUnknown, getUnknown, (REFGUID key, REFIID riid, LPVOID* object), key, riid, object)
    MORVALE_ATTRIBUTE_METHOD(SetItem, setItem, (REFGUID key, REFPROPVARIANT value), key, value)
    MORVALE_ATTRIBUTE_METHOD(DeleteItem, deleteItem, (REFGUID key), key)
    MORVALE_ATTRIBUTE_METHOD(DeleteAllItems, deleteAllItems, ())
    MORVALE_ATTRIBUTE_METHOD(SetUINT32, setUINT32, (REFGUID key, UINT32 value), key, value)
    MORVALE_ATTRIBUTE_METHOD(SetUINT64, setUINT64, (REFGUID key, UINT64 value), key, value)
    MORVALE_ATTRIBUTE_METHOD(SetDouble, setDouble, (REFGUID key, double value), key, value)
    MORVALE_ATTRIBUTE_METHOD(SetGUID, setGUID, (REFGUID key, REFGUID value), key, value)
    MORVALE_ATTRIBUTE_METHOD(SetString, setString, (REFGUID key, LPCWSTR value), key, value)
    MORVALE_ATTRIBUTE_METHOD(SetBlob, setBlob, (REFGUID key, const UINT8* buffer, UINT32 size), key, buffer, size)
    MORVALE_ATTRIBUTE_METHOD(SetUnknown, setUnknown, (REFGUID key, IUnknown * object), key, object)
    MORVALE_ATTRIBUTE_METHOD(LockStore, lockStore, ())
    MORVALE_ATTRIBUTE_METHOD(UnlockStore, unlockStore, ())
    MORVALE_ATTRIBUTE_METHOD(GetCount, getCount, (UINT32 * count), count)
    MORVALE_ATTRIBUTE_METHOD(GetItemByIndex, getItemByIndex, (UINT32 index, GUID* key, PROPVARIANT* value), index, key,
                             value)
    MORVALE_ATTRIBUTE_METHOD(CopyAllItems, copyAllItems, (IMFAttributes * destination), destination)

#undef MORVALE_ATTRIBUTE_METHOD

protected:
    void* interfaceFor(REFIID riid) override {
        if (riid == IID_IMFAttributes) return static_cast<IMFAttributes*>(this);
        return ComObject<Interface>::interfaceFor(riid);
    }

private:
    AttributeStore store_;
};

}  // namespace MorvalePlatform
