// ComObject<Interface>: the reference counting and QueryInterface every COM
// object of the Linux implementation shares. An object starts with one
// reference (the creator's), is destroyed by the Release that drops the last
// one, and is counted as live in between (TestControl::liveObjects). The
// count is atomic, so references may be released on any thread.
#pragma once

#include <atomic>

#include "platform/linux/test_hooks.h"
#include "platform/media_foundation.h"

namespace MorvalePlatform {

template <class Interface>
class ComObject : public Interface {
public:
    ComObject() noexcept { Hooks::objectCreated(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() { Hooks::objectDestroyed(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override {
        if (!ppvObject) return E_POINTER;
        *ppvObject = interfaceFor(riid);
        if (!*ppvObject) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }

protected:
    // The interface pointer for riid, or null; derived classes add the
    // interfaces between IUnknown and their own.
    virtual void* interfaceFor(REFIID riid) {
        if (riid == IID_IUnknown) return static_cast<IUnknown*>(this);
        return nullptr;
    }

private:
    std::atomic<ULONG> references_{1};
};

}  // namespace MorvalePlatform
