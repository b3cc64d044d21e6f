// Media Foundation start/stop: a process-wide balance of MFStartup and
// MFShutdown. Creating a source reader needs a positive balance.
#include <atomic>

#include "platform/linux/mf_runtime.h"
#include "platform/linux/test_hooks.h"
#include "platform/media_foundation.h"

namespace {

std::atomic<long> startups{0};

}  // namespace

extern "C" HRESULT MFStartup(ULONG Version, DWORD dwFlags) {
    MORVALE_INSTRUMENTED_CALL("MFStartup");
    if (Version != MF_VERSION && Version != ((0x1 << 16) | MF_API_VERSION)) return MF_E_BAD_STARTUP_VERSION;
    if (dwFlags & ~static_cast<DWORD>(MFSTARTUP_NOSOCKET)) return E_INVALIDARG;
    startups.fetch_add(1);
    return S_OK;
}

extern "C" HRESULT MFShutdown() {
    MORVALE_INSTRUMENTED_CALL("MFShutdown");
    long current = startups.load();
    while (current > 0 && !startups.compare_exchange_weak(current, current - 1)) {
    }
    return S_OK;
}

namespace MorvalePlatform {

bool mediaFoundationStarted() { return startups.load() > 0; }

}  // namespace MorvalePlatform

extern "C" long MorvalePlatformTest_mfStartupCount() { return startups.load(); }
