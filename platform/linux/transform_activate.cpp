// TransformActivate; see transform_activate.h.
#include "platform/linux/transform_activate.h"

#include "platform/linux/test_hooks.h"
#include "platform/utf.h"

namespace MorvalePlatform {

ComPtr<TransformActivate> TransformActivate::create(const GUID& category, const char* friendlyName,
                                                    const MFT_REGISTER_TYPE_INFO& inputType,
                                                    const MFT_REGISTER_TYPE_INFO& outputType) {
    auto activate = ComPtr<TransformActivate>::attach(new TransformActivate());
    AttributeStore& store = activate->attributes();
    store.setGUID(MF_TRANSFORM_CATEGORY_Attribute, category);
    if (const auto name = utf8ToWide(friendlyName ? friendlyName : "")) store.setString(MFT_FRIENDLY_NAME_Attribute, name->c_str());
    store.setBlob(MFT_INPUT_TYPES_Attributes, reinterpret_cast<const UINT8*>(&inputType), sizeof(inputType));
    store.setBlob(MFT_OUTPUT_TYPES_Attributes, reinterpret_cast<const UINT8*>(&outputType), sizeof(outputType));
    return activate;
}

HRESULT TransformActivate::ActivateObject(REFIID, void** ppv) {
    MORVALE_INSTRUMENTED_CALL("IMFActivate::ActivateObject");
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return E_NOTIMPL;
}

HRESULT TransformActivate::ShutdownObject() {
    MORVALE_INSTRUMENTED_CALL("IMFActivate::ShutdownObject");
    return S_OK;
}

HRESULT TransformActivate::DetachObject() {
    MORVALE_INSTRUMENTED_CALL("IMFActivate::DetachObject");
    return S_OK;
}

void* TransformActivate::interfaceFor(REFIID riid) {
    if (riid == IID_IMFActivate) return static_cast<IMFActivate*>(this);
    return AttributesImpl<IMFActivate>::interfaceFor(riid);
}

}  // namespace MorvalePlatform
