// TransformActivate: the IMFActivate that MFTEnumEx returns for one FFmpeg
// encoder or decoder. Its attributes name it (MFT_FRIENDLY_NAME_Attribute,
// FFmpeg's long name), its category (MF_TRANSFORM_CATEGORY_Attribute) and
// the type it takes or gives (MFT_INPUT_TYPES_Attributes or
// MFT_OUTPUT_TYPES_Attributes, an MFT_REGISTER_TYPE_INFO blob). There is no
// transform object behind it: ActivateObject is E_NOTIMPL, ShutdownObject
// and DetachObject succeed and do nothing.
#pragma once

#include "platform/com_ptr.h"
#include "platform/linux/attributes_impl.h"

namespace MorvalePlatform {

class TransformActivate final : public AttributesImpl<IMFActivate> {
public:
    static ComPtr<TransformActivate> create(const GUID& category, const char* friendlyName,
                                            const MFT_REGISTER_TYPE_INFO& inputType,
                                            const MFT_REGISTER_TYPE_INFO& outputType);

    HRESULT STDMETHODCALLTYPE ActivateObject(REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE ShutdownObject() override;
    HRESULT STDMETHODCALLTYPE DetachObject() override;

protected:
    void* interfaceFor(REFIID riid) override;

private:
    TransformActivate() = default;
};

}  // namespace MorvalePlatform
