// CoCreateInstance for the DirectShow classes the Linux platform offers.
#include "platform/linux/ds_filter_graph.h"
#include "platform/linux/ds_filters.h"
#include "platform/linux/test_hooks.h"

namespace {

using MorvalePlatform::ComPtr;

// A new object of the class, by its IUnknown; null for a class this
// platform does not have.
ComPtr<IUnknown> newObject(REFCLSID rclsid) {
    if (rclsid == CLSID_FilterGraph) {
        return ComPtr<IUnknown>::attach(static_cast<IGraphBuilder*>(MorvalePlatform::FilterGraph::create().detach()));
    }
    if (rclsid == CLSID_AviSplitter) {
        return ComPtr<IUnknown>::attach(static_cast<IBaseFilter*>(MorvalePlatform::AviSplitter::create().detach()));
    }
    if (rclsid == CLSID_SampleGrabber) {
        return ComPtr<IUnknown>::attach(static_cast<IBaseFilter*>(MorvalePlatform::SampleGrabber::create().detach()));
    }
    if (rclsid == CLSID_NullRenderer) {
        return ComPtr<IUnknown>::attach(static_cast<IBaseFilter*>(MorvalePlatform::NullRenderer::create().detach()));
    }
    return nullptr;
}

bool known(REFCLSID rclsid) {
    return rclsid == CLSID_FilterGraph || rclsid == CLSID_AviSplitter || rclsid == CLSID_SampleGrabber ||
           rclsid == CLSID_NullRenderer;
}

}  // namespace

extern "C" HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                                    LPVOID* ppv) {
    MORVALE_INSTRUMENTED_CALL("CoCreateInstance");
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!known(rclsid) || (dwClsContext & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    ComPtr<IUnknown> object = newObject(rclsid);
    if (!object) return E_OUTOFMEMORY;
    return object->QueryInterface(riid, ppv);
}
