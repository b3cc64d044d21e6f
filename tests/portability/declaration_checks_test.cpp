// The Linux declarations against the list of exact types and values that the
// Windows build checks against the system headers. The checks are static
// assertions: a drifted declaration stops this file from compiling.
#include <gtest/gtest.h>

#include "platform/declaration_checks.h"

TEST(DeclarationChecks, LinuxDeclarationsHaveTheWindowsTypesAndValues) {
    // Spot checks that also run: values the library passes through as
    // DWORDs keep their bits after the conversion.
    EXPECT_EQ(static_cast<DWORD>(MF_SOURCE_READER_FIRST_VIDEO_STREAM), 0xfffffffcu);
    EXPECT_EQ(static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE), 0xffffffffu);
    EXPECT_EQ(static_cast<DWORD>(COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE), 0x4u);
}
