// korvel's loader function on Linux (dlopen): the built library loads, its
// entry points are found by their plain names, failures carry the loader's
// reason, and the executable finds itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>

#include "host/korvel/native_library.h"

using korvel::closeNativeLibrary;
using korvel::executableFile;
using korvel::findNativeSymbol;
using korvel::openNativeLibrary;

TEST(NativeLibrary, LoadsTheLibraryAndFindsEntryPointsByPlainName) {
    korvel::NativeLibrary library = openNativeLibrary(MORVALE_LIBRARY_PATH);
    ASSERT_NE(library, nullptr);
    auto getVersion = reinterpret_cast<long long (*)()>(findNativeSymbol(library, "KorvelLibrary_getVersion"));
    ASSERT_NE(getVersion, nullptr);
    EXPECT_EQ(getVersion(), 5);
    EXPECT_NE(findNativeSymbol(library, "MFReadVideoData"), nullptr);
    EXPECT_EQ(findNativeSymbol(library, "NoSuchEntryPoint"), nullptr);
    EXPECT_EQ(findNativeSymbol(library, ""), nullptr);
    closeNativeLibrary(library);
    closeNativeLibrary(nullptr);  // harmless
}

// A missing file, or one that is no shared object (this test's source),
// fails with the loader's reason naming the file.
TEST(NativeLibrary, WhatCannotBeLoadedFailsWithTheLoadersReason) {
    const std::string missing = std::filesystem::temp_directory_path() / "morvale-no-such-library.so";
    const std::pair<std::string, const char*> cases[] = {{missing, "No such file"}, {__FILE__, ""}};
    for (const auto& [path, reason] : cases) {
        try {
            openNativeLibrary(path);
            ADD_FAILURE() << path << " loaded";
        } catch (const std::runtime_error& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(path), std::string::npos) << message;
            EXPECT_NE(message.find(reason), std::string::npos) << message;
        }
    }
}

TEST(NativeLibrary, ExecutableFileIsTheRunningTestEvenFromAWrongArgv0) {
    const std::filesystem::path self = executableFile("definitely/not/here");
    EXPECT_TRUE(self.is_absolute());
    EXPECT_EQ(self.filename(), "test_portability");
    EXPECT_TRUE(std::filesystem::is_regular_file(self));
}
