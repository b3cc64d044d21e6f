// MFCreateAttributes: a plain attribute store.
#include "platform/linux/attributes_impl.h"
#include "platform/linux/test_hooks.h"

namespace {

class Attributes final : public MorvalePlatform::AttributesImpl<IMFAttributes> {};

}  // namespace

extern "C" HRESULT MFCreateAttributes(IMFAttributes** ppMFAttributes, UINT32 /*cInitialSize*/) {
    MORVALE_INSTRUMENTED_CALL("MFCreateAttributes");
    if (!ppMFAttributes) return E_POINTER;
    *ppMFAttributes = new Attributes();
    return S_OK;
}
