// The test control reachable through dlopen of the built library, as
// end-to-end tests use it: the library's own state, not the test binary's.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include "platform/media_foundation.h"

namespace {

struct Library {
    Library() : handle(dlopen(MORVALE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() {
        if (handle) dlclose(handle);
    }
    template <class Function>
    Function* find(const char* name) const {
        return reinterpret_cast<Function*>(dlsym(handle, name));
    }
    void* handle;
};

// The C++ control is a wrapper over these: every one must be reachable, and
// they act on the loaded library's own counters.
TEST(ExportedControl, ReachesTheLoadedLibrarysOwnState) {
    Library library;
    ASSERT_NE(library.handle, nullptr) << dlerror();
    for (const char* name :
         {"MorvalePlatformTest_failCall", "MorvalePlatformTest_callCount", "MorvalePlatformTest_reset",
          "MorvalePlatformTest_liveObjects", "MorvalePlatformTest_decodedFrames", "MorvalePlatformTest_rgbConversions",
          "MorvalePlatformTest_retainedPackets", "MorvalePlatformTest_peakRetainedPackets",
          "MorvalePlatformTest_mfStartupCount", "MorvalePlatformTest_comInitCount", "MorvalePlatformTest_setQuirks"}) {
        EXPECT_NE(dlsym(library.handle, name), nullptr) << name;
    }
    // The platform's own entry points stay hidden: they reach the library's
    // code only through its exported functions.
    EXPECT_EQ(dlsym(library.handle, "MFCreateMediaType"), nullptr);
    auto failCall = library.find<void(const char*, HRESULT, int)>("MorvalePlatformTest_failCall");
    auto callCount = library.find<long(const char*)>("MorvalePlatformTest_callCount");
    auto liveObjects = library.find<long()>("MorvalePlatformTest_liveObjects");
    auto peak = library.find<long()>("MorvalePlatformTest_peakRetainedPackets");
    auto reset = library.find<void()>("MorvalePlatformTest_reset");
    ASSERT_TRUE(failCall && callCount && liveObjects && peak && reset);
    reset();
    failCall("MFStartup", E_OUTOFMEMORY, 1);
    EXPECT_EQ(callCount("MFStartup"), 0);
    EXPECT_EQ(liveObjects(), 0);
    EXPECT_EQ(peak(), 0);
    reset();
}

}  // namespace
