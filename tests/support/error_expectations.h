// Checks that a call raises a given registered error.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "bridge/error_manager.h"
#include "bridge/travex_error.h"

namespace morvale_test {

struct RaisedError {
    bool raised = false;
    std::string name;
    std::string debugInfo;
    int code = 0;
};

inline RaisedError raisedBy(const std::function<void()>& f) {
    try {
        f();
    } catch (const TravexUtils::TravexError& e) {
        return {true, e.name(), e.debugInfo(), e.id()};
    }
    return {};
}

// The code registered under the name.
inline int codeOf(const std::string& error) { return TravexUtils::ErrorManager::findError(error).id(); }

}  // namespace morvale_test

#define EXPECT_RAISES(call, errorName, debugText)                      \
    do {                                                               \
        const auto raised_ = ::morvale_test::raisedBy([&] { call; });  \
        EXPECT_TRUE(raised_.raised) << #call << " raised nothing";     \
        EXPECT_EQ(raised_.name, errorName) << #call;                   \
        EXPECT_EQ(raised_.debugInfo, debugText) << #call;              \
    } while (0)
