// MFCreateSourceReaderFromURL.
#include "platform/linux/test_hooks.h"
#include "platform/media_foundation.h"

extern "C" HRESULT MFCreateSourceReaderFromURL(const WCHAR* url, IMFAttributes* /*attributes*/, IMFSourceReader** reader) {
    MORVALE_INSTRUMENTED_CALL("MFCreateSourceReaderFromURL");
    if (!url || !reader) return E_POINTER;
    *reader = nullptr;
    return E_NOTIMPL;
}
