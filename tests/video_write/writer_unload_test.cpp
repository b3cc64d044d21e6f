// A frame-by-frame writer still open when the host uninitialises and
// unloads the library: nothing crashes, then or at exit.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "host/stand_in/host_arguments.h"
#include "host/stand_in/host_stand_in.h"
#include "tests/support/media_fixtures.h"

namespace {

using SlotFunction = int (*)(KorvelLibraryData, mint, MArgument*, MArgument);

TEST(WriterAtUnload, AnOpenWriterDoesNotCrash) {
    void* library = dlopen(MORVALE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto function = [&](const char* name) { return reinterpret_cast<SlotFunction>(dlsym(library, name)); };
    auto initialize = reinterpret_cast<int (*)(KorvelLibraryData)>(dlsym(library, "KorvelLibrary_initialize"));
    auto uninitialize = reinterpret_cast<void (*)()>(dlsym(library, "KorvelLibrary_uninitialize"));
    ASSERT_TRUE(initialize && uninitialize);
    ASSERT_EQ(initialize(korvel::hostLibraryData()), 0);
    {
        korvel::HostArguments init;
        init.addString(morvale_test::scratchDirectory("writer_at_unload") + "/open.mp4")
            .addInteger(64)
            .addInteger(48)
            .addInteger(1000000)
            .addInteger(25)
            .addString("H264");
        ASSERT_EQ(init.call(function("MFInitVideoWriter"), korvel::ResultKind::Boolean), 0);
        korvel::HostArguments frame;
        frame.adoptImage(korvel::newHostImage(0, 64, 48, 3, MImage_Type_Bit8, true));
        ASSERT_EQ(frame.call(function("MFWriteNextVideoFrame"), korvel::ResultKind::Boolean), 0);
    }
    uninitialize();
    EXPECT_EQ(dlclose(library), 0);
}

}  // namespace
