// The declaration checks against the real Windows headers; see
// platform/declaration_checks.h. Generates no code.
#include "platform/declaration_checks.h"

// Paths reach the platform as UTF-16 here: utf8ToWide produces surrogate
// pairs only when wchar_t has 16 bits.
static_assert(sizeof(wchar_t) == 2, "LPCWSTR is UTF-16 on Windows");

namespace MorvalePlatformDeclarationChecks {

// The shape of a COM object the library implements itself (a callback):
// counted references, deleted by its own Release. The Windows IUnknown has a
// public non-virtual destructor, which -Wnon-virtual-dtor reports in every
// class that implements it; the Windows build therefore turns that warning
// off for the product (CMakeLists.txt), and this class keeps it honest. The
// Linux build keeps the warning: there IUnknown's destructor is protected.
class CallbackShape final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = IsEqualGUID(riid, IID_IUnknown) ? this : nullptr;
        if (*object == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

private:
    ~CallbackShape() = default;
    ULONG references_ = 1;
};

}  // namespace MorvalePlatformDeclarationChecks
