// The built library loaded with dlopen, as the host loads it: the export
// manifest against what the library really exports and how each export
// reports failures.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "exports/export_manifest.h"
#include "host/sr64i4/sr_host.h"
#include "host/stand_in/host_arguments.h"
#include "host/stand_in/host_stand_in.h"
#include "tests/support/reference_media.h"

using MorvaleExports::ExportEntry;
using MorvaleExports::ExportForm;
using MorvaleExports::FailurePolicy;
using MorvaleExports::kExports;

namespace {

// Codes of the built-in error table, fixed by its order.
constexpr int kArgumentIndexError = -2;  // "MArgumentIndexError"
constexpr int kTestHeadError = -27;      // "SRTestHeadError"
constexpr int kFunctionError = 6;

// The Linux platform's test control (counters, injected failures) is
// exported for the tests; it is not part of the library's interface and is
// absent from the Windows build.
constexpr std::string_view kPlatformTestControlPrefix = "MorvalePlatformTest_";

// Every C name the library's dynamic symbol table defines. Names that begin
// with an underscore are the toolchain's or C++ (mangled) names, which no
// host looks up.
std::set<std::string> definedCNames(const std::string& library) {
    std::istringstream lines(
        morvale_test::commandOutput(std::string(MORVALE_NM) + " -D --defined-only '" + library + "'"));
    std::set<std::string> names;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (!(fields >> address >> type >> name)) continue;
        if (name.starts_with('_') || name.starts_with(kPlatformTestControlPrefix)) continue;
        names.insert(name);
    }
    return names;
}

std::string listed(const std::set<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += " " + name;
    return text;
}

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
    template <typename F = void*>
    F symbol(std::string_view name) {
        void* p = dlsym(handle, std::string(name).c_str());
        EXPECT_NE(p, nullptr) << name << " is not exported";
        return reinterpret_cast<F>(p);
    }
    void* handle = nullptr;
};

TEST_F(LoadedLibrary, OnlyEntryPointsAreExported) {
    EXPECT_EQ(dlsym(handle, "_ZN11TravexUtils12ErrorManager6errorsEv"), nullptr)
        << "framework internals stay hidden";
}

TEST_F(LoadedLibrary, TheLibraryExportsExactlyTheManifestsNames) {
    std::set<std::string> manifest;
    for (const ExportEntry& entry : kExports) {
        symbol(entry.name);
        manifest.emplace(entry.name);
    }
    const std::set<std::string> exported = definedCNames(MORVALE_LIBRARY_PATH);
    ASSERT_FALSE(exported.empty()) << "nm listed nothing";
    std::set<std::string> unlisted, missing;
    for (const std::string& name : exported) {
        if (!manifest.contains(name)) unlisted.insert(name);
    }
    for (const std::string& name : manifest) {
        if (!exported.contains(name)) missing.insert(name);
    }
    EXPECT_TRUE(unlisted.empty()) << "exported but not in the manifest:" << listed(unlisted);
    EXPECT_TRUE(missing.empty()) << "in the manifest but not in the symbol table:" << listed(missing);
}

// A call without its arguments fails in the argument manager (code -2) or,
// for the functions that report every failure as 6 and for frame writing
// without a writer, with 6. A link function given one argument too many
// fails reading its argument list, with that
// registered code. Either way nothing the host made stays behind.
TEST_F(LoadedLibrary, FailuresAreReportedAsTheRowSays) {
    auto initialize = symbol<int (*)(KorvelLibraryData)>("KorvelLibrary_initialize");
    ASSERT_NE(initialize, nullptr);
    ASSERT_EQ(initialize(korvel::hostLibraryData()), 0);
    korvel::resetHostCounters();

    for (const ExportEntry& entry : kExports) {
        if (entry.form == ExportForm::ArgumentSlots && !entry.arguments().empty()) {
            auto function = symbol<int (*)(KorvelLibraryData, mint, MArgument*, MArgument)>(entry.name);
            ASSERT_NE(function, nullptr) << entry.name;
            korvel::HostArguments none;
            // Writing a frame asks for the global writer before its frame:
            // with none open it fails with 6 first.
            const bool failsBeforeArguments = entry.name == "MFWriteNextVideoFrame";
            const int expected = entry.failure == FailurePolicy::AlwaysFunctionError || failsBeforeArguments
                                     ? kFunctionError
                                     : kArgumentIndexError;
            EXPECT_EQ(none.call(function, entry.result), expected) << entry.name;
        } else if (entry.form == ExportForm::Link) {
            auto function = symbol<int (*)(KorvelLibraryData, SRLINK)>(entry.name);
            ASSERT_NE(function, nullptr) << entry.name;
            const SrHostLink link;
            std::vector<SrValue> oneTooMany(entry.arguments().size() + 1, SrValue::ofString("clip.mp4"));
            ASSERT_TRUE(srhost_putArguments(link.get(), oneTooMany));
            EXPECT_EQ(function(korvel::hostLibraryData(), link.get()), kTestHeadError) << entry.name;
        }
    }
    const korvel::HostCounters host = korvel::hostCounters();
    EXPECT_EQ(host.liveArrays(), 0);
    EXPECT_EQ(host.liveStrings, 0);
    EXPECT_EQ(host.invalidHandBacks + host.invalidFrees, 0);
}

}  // namespace
