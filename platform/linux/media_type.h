// MediaType: IMFMediaType over an attribute store. The source reader builds
// its native and current types as MediaType objects and hands out copies, so
// a caller changing a type it received never changes the reader's.
#pragma once

#include "platform/com_ptr.h"
#include "platform/linux/attributes_impl.h"

namespace MorvalePlatform {

class MediaType final : public AttributesImpl<IMFMediaType> {
public:
    static ComPtr<MediaType> create();
    // A new type holding the same items.
    ComPtr<MediaType> copy() const;

    HRESULT STDMETHODCALLTYPE GetMajorType(GUID* pguidMajorType) override;
    HRESULT STDMETHODCALLTYPE IsCompressedFormat(BOOL* pfCompressed) override;
    HRESULT STDMETHODCALLTYPE IsEqual(IMFMediaType* pIMediaType, DWORD* pdwFlags) override;
    HRESULT STDMETHODCALLTYPE GetRepresentation(GUID guidRepresentation, LPVOID* ppvRepresentation) override;
    HRESULT STDMETHODCALLTYPE FreeRepresentation(GUID guidRepresentation, LPVOID pvRepresentation) override;

protected:
    void* interfaceFor(REFIID riid) override;
};

}  // namespace MorvalePlatform
