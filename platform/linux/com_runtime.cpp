// COM start/stop per thread and task memory.
#include <cstdlib>

#include "platform/linux/test_hooks.h"
#include "platform/media_foundation.h"

namespace {

// COM initialisation is per thread: how often this thread initialised it and
// with which concurrency model (only the multithreaded bit matters).
thread_local long comInitialisations = 0;
thread_local bool comApartmentThreaded = false;

}  // namespace

extern "C" HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) {
    MORVALE_INSTRUMENTED_CALL("CoInitializeEx");
    if (pvReserved) return E_INVALIDARG;
    const bool apartment = (dwCoInit & COINIT_APARTMENTTHREADED) != 0;
    if (comInitialisations > 0) {
        if (apartment != comApartmentThreaded) return RPC_E_CHANGED_MODE;
        ++comInitialisations;
        return S_FALSE;
    }
    comApartmentThreaded = apartment;
    comInitialisations = 1;
    return S_OK;
}

extern "C" void CoUninitialize() {
    if (MorvalePlatform::Hooks::callResult("CoUninitialize") != S_OK) return;
    if (comInitialisations > 0) --comInitialisations;
}

extern "C" LPVOID CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb == 0 ? 1 : cb); }

extern "C" void CoTaskMemFree(LPVOID pv) { std::free(pv); }

extern "C" long MorvalePlatformTest_comInitCount() { return comInitialisations; }
