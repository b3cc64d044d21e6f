#include <dlfcn.h>
#include <gtest/gtest.h>

#include "host/stand_in/host_stand_in.h"

namespace {

// Loads the built library with dlopen, as the host does.
class LoadedLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        handle = dlopen(MORVALE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
    }
    void TearDown() override {
        if (handle != nullptr) dlclose(handle);
    }
    template <typename F>
    F symbol(const char* name) {
        void* p = dlsym(handle, name);
        EXPECT_NE(p, nullptr) << name;
        return reinterpret_cast<F>(p);
    }
    void* handle = nullptr;
};

TEST_F(LoadedLibrary, LifecycleThroughTheExportedNames) {
    auto getVersion = symbol<mint (*)()>("KorvelLibrary_getVersion");
    auto initialize = symbol<int (*)(KorvelLibraryData)>("KorvelLibrary_initialize");
    auto uninitialize = symbol<void (*)()>("KorvelLibrary_uninitialize");
    ASSERT_TRUE(getVersion && initialize && uninitialize);
    EXPECT_EQ(getVersion(), 5);
    EXPECT_EQ(initialize(korvel::hostLibraryData()), 0);
    EXPECT_EQ(getVersion(), 5);
    EXPECT_EQ(initialize(korvel::hostLibraryData()), 0);
    uninitialize();
    EXPECT_EQ(initialize(korvel::hostLibraryData()), 0);
}

TEST_F(LoadedLibrary, OnlyEntryPointsAreExported) {
    EXPECT_EQ(dlsym(handle, "_ZN11TravexUtils12ErrorManager6errorsEv"), nullptr)
        << "framework internals stay hidden";
}

}  // namespace
