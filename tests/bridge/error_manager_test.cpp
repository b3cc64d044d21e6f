#include <gtest/gtest.h>

#include "bridge/error_manager.h"
#include "bridge/library_errors.h"

using TravexUtils::ErrorManager;
using TravexUtils::TravexError;

namespace {

int codeOf(const std::string& name) { return ErrorManager::findError(name).id(); }

TEST(ErrorRegistry, BuiltInTableStartsWithTheHostCodes) {
    const std::pair<const char*, int> expected[] = {
        {"NoError", 0},       {"TypeError", 1},      {"RankError", 2},     {"DimensionsError", 3},
        {"NumericalError", 4}, {"MemoryError", 5},   {"FunctionError", 6}, {"VersionError", 7},
        {"MArgumentInitError", -1}, {"ErrorManagerThrowNameError", -7}, {"TensorTypeError", -18},
        {"SRTestHeadError", -27}, {"ArgumentAddNodeMArgument", -53},
    };
    for (const auto& [name, code] : expected) {
        EXPECT_EQ(codeOf(name), code) << name;
    }
    EXPECT_EQ(ErrorManager::nextCode(), -54);
}

TEST(ErrorRegistry, LibraryTablesFollowTheBuiltInOnes) {
    TravexUtils::registerLibraryErrorTables();
    const std::pair<const char*, int> expected[] = {
        {"ReaderInitializeError", -54}, {"BitRateError", -57},       {"MFNullPointerError", -58},
        {"MFropertySetError", -59},     {"MFInvalidFrameIndex", -74}, {"MFEndOfFile", -75},
        {"DSLibraryStartError", -76},   {"DSConntectFilterError", -93}, {"DSInvalidFrameIndex", -100},
        {"DSEndOfFile", -101},
    };
    for (const auto& [name, code] : expected) {
        EXPECT_EQ(codeOf(name), code) << name;
    }
    EXPECT_EQ(ErrorManager::nextCode(), -102);
    EXPECT_EQ(ErrorManager::findError("MFInvalidFrameIndex").message(), "Error fetching the required fame.");
    EXPECT_EQ(ErrorManager::findError("DSInvalidFrameIndex").message(), "Error fetching the required fame.");

    // Registering the same tables again changes nothing.
    TravexUtils::registerLibraryErrorTables();
    EXPECT_EQ(ErrorManager::errors().size(), 109u);
    EXPECT_EQ(ErrorManager::nextCode(), -102);
    EXPECT_EQ(codeOf("DSEndOfFile"), -101);
}

TEST(ErrorRegistry, DuplicateNames) {
    ErrorManager::registerErrors({{"X", "m"}});
    ErrorManager::registerErrors({{"X", "m"}});
    EXPECT_EQ(codeOf("X"), -54);
    EXPECT_EQ(ErrorManager::nextCode(), -55);

    try {
        ErrorManager::registerErrors({{"Y", "y"}, {"X", "other"}, {"Z", "z"}});
        FAIL() << "a different message must be refused";
    } catch (const TravexError& e) {
        EXPECT_EQ(e.name(), "ErrorManagerCreateNameError");
        EXPECT_EQ(e.id(), -8);
        EXPECT_EQ(e.debugInfo(), "");
    }
    EXPECT_EQ(codeOf("Y"), -55);  // pairs before the failing one stay
    EXPECT_EQ(ErrorManager::errors().count("Z"), 0u);
    EXPECT_EQ(ErrorManager::nextCode(), -56);
    EXPECT_EQ(ErrorManager::findError("X").message(), "m");
}

TEST(ErrorRegistry, UnregisteredNameThrowsTheNameError) {
    try {
        ErrorManager::throwException("NoSuchError", "some step");
        FAIL();
    } catch (const TravexError& e) {
        EXPECT_EQ(e.name(), "ErrorManagerThrowNameError");
        EXPECT_EQ(e.id(), -7);
        EXPECT_EQ(e.message(), "An exception was thrown with a non-existent name.");
        EXPECT_EQ(e.debugInfo(), "");
    }
}

TEST(ErrorRegistry, DebugTextTravelsOnTheThrownCopyOnly) {
    try {
        ErrorManager::throwException("TensorNewError", "step x");
        FAIL();
    } catch (const TravexError& e) {
        EXPECT_EQ(e.debugInfo(), "step x");
        EXPECT_STREQ(e.what(), "TensorNewError");
        EXPECT_EQ(e.message(), "Failed to create a new MTensor.");
    }
    EXPECT_EQ(ErrorManager::findError("TensorNewError").debugInfo(), "");
}

TEST(ErrorRegistry, MessagesAreKeptExactly) {
    EXPECT_EQ(ErrorManager::findError("SRWrongSymbolForBool").message(),
              "Tried to read something else than \"True\" or \"False\" as boolean.");
    EXPECT_EQ(ErrorManager::findError("DLNullRawNode").message(), "DataStoreNode passed to Node wrapper was null");
}

}  // namespace
