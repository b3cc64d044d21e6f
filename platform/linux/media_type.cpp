// MediaType and MFCreateMediaType.
#include "platform/linux/media_type.h"

#include "platform/linux/test_hooks.h"
#include "platform/prop_variant_guard.h"

namespace MorvalePlatform {

ComPtr<MediaType> MediaType::create() { return ComPtr<MediaType>::attach(new MediaType()); }

ComPtr<MediaType> MediaType::copy() const {
    ComPtr<MediaType> result = create();
    Hooks::InternalCalls internal;
    attributes().copyAllItems(result.get());
    return result;
}

HRESULT MediaType::GetMajorType(GUID* pguidMajorType) {
    MORVALE_INSTRUMENTED_CALL("IMFMediaType::GetMajorType");
    if (!pguidMajorType) return E_POINTER;
    return attributes().getGUID(MF_MT_MAJOR_TYPE, pguidMajorType);
}

HRESULT MediaType::IsCompressedFormat(BOOL* pfCompressed) {
    MORVALE_INSTRUMENTED_CALL("IMFMediaType::IsCompressedFormat");
    if (!pfCompressed) return E_POINTER;
    UINT32 value = 0;
    if (SUCCEEDED(attributes().getUINT32(MF_MT_COMPRESSED, &value))) {
        *pfCompressed = value ? TRUE : FALSE;
    } else {
        // Without an explicit flag a type is compressed unless its samples
        // are all independent.
        *pfCompressed = SUCCEEDED(attributes().getUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, &value)) && value ? FALSE : TRUE;
    }
    return S_OK;
}

HRESULT MediaType::IsEqual(IMFMediaType* pIMediaType, DWORD* pdwFlags) {
    MORVALE_INSTRUMENTED_CALL("IMFMediaType::IsEqual");
    if (!pIMediaType || !pdwFlags) return E_POINTER;
    Hooks::InternalCalls internal;
    *pdwFlags = 0;
    GUID mine{};
    GUID theirs{};
    const bool haveMajor = SUCCEEDED(attributes().getGUID(MF_MT_MAJOR_TYPE, &mine)) &&
                           SUCCEEDED(pIMediaType->GetGUID(MF_MT_MAJOR_TYPE, &theirs));
    if (!haveMajor) return E_INVALIDARG;
    if (mine == theirs) *pdwFlags |= MF_MEDIATYPE_EQUAL_MAJOR_TYPES;
    const bool haveSubtype = SUCCEEDED(attributes().getGUID(MF_MT_SUBTYPE, &mine)) &&
                             SUCCEEDED(pIMediaType->GetGUID(MF_MT_SUBTYPE, &theirs));
    if (haveSubtype && mine == theirs) *pdwFlags |= MF_MEDIATYPE_EQUAL_FORMAT_TYPES;
    // Format data: every item of one type is in the other, user data aside.
    BOOL same = FALSE;
    attributes().compare(pIMediaType, MF_ATTRIBUTES_MATCH_ALL_ITEMS, &same);
    if (same) *pdwFlags |= MF_MEDIATYPE_EQUAL_FORMAT_DATA | MF_MEDIATYPE_EQUAL_FORMAT_USER_DATA;
    const DWORD all = MF_MEDIATYPE_EQUAL_MAJOR_TYPES | MF_MEDIATYPE_EQUAL_FORMAT_TYPES |
                      MF_MEDIATYPE_EQUAL_FORMAT_DATA | MF_MEDIATYPE_EQUAL_FORMAT_USER_DATA;
    return *pdwFlags == all ? S_OK : S_FALSE;
}

HRESULT MediaType::GetRepresentation(GUID, LPVOID* ppvRepresentation) {
    MORVALE_INSTRUMENTED_CALL("IMFMediaType::GetRepresentation");
    if (!ppvRepresentation) return E_POINTER;
    return MF_E_UNSUPPORTED_REPRESENTATION;
}

HRESULT MediaType::FreeRepresentation(GUID, LPVOID) {
    MORVALE_INSTRUMENTED_CALL("IMFMediaType::FreeRepresentation");
    return MF_E_UNSUPPORTED_REPRESENTATION;
}

void* MediaType::interfaceFor(REFIID riid) {
    if (riid == IID_IMFMediaType) return static_cast<IMFMediaType*>(this);
    return AttributesImpl<IMFMediaType>::interfaceFor(riid);
}

}  // namespace MorvalePlatform

extern "C" HRESULT MFCreateMediaType(IMFMediaType** ppMFType) {
    MORVALE_INSTRUMENTED_CALL("MFCreateMediaType");
    if (!ppMFType) return E_POINTER;
    *ppMFType = MorvalePlatform::MediaType::create().detach();
    return S_OK;
}
