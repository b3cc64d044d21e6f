#include <gtest/gtest.h>

#include "bridge/error_manager.h"
#include "tests/support/error_expectations.h"

using TravexUtils::ErrorManager;
using TravexUtils::TravexError;

namespace {

using morvale_test::codeOf;

// The registry's contents and codes are checked where the host receives
// them (tests/link/registered_errors_test.cpp); here, how it registers and
// raises.
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

// A raised error carries the debug text on the thrown copy only; an
// unregistered name raises the name error instead, without the text.
TEST(ErrorRegistry, RaisingByName) {
    try {
        ErrorManager::throwException("TensorNewError", "step x");
        FAIL();
    } catch (const TravexError& e) {
        EXPECT_EQ(e.debugInfo(), "step x");
        EXPECT_STREQ(e.what(), "TensorNewError");
        EXPECT_EQ(e.message(), "Failed to create a new MTensor.");
    }
    EXPECT_EQ(ErrorManager::findError("TensorNewError").debugInfo(), "");
    try {
        ErrorManager::throwException("NoSuchError", "some step");
        FAIL();
    } catch (const TravexError& e) {
        EXPECT_EQ(e.name(), "ErrorManagerThrowNameError");
        EXPECT_EQ(e.id(), -7);
        EXPECT_EQ(e.debugInfo(), "");
    }
}

}  // namespace
