#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

#include "bridge/call_frame.h"
#include "bridge/error_manager.h"
#include "bridge/library_errors.h"
#include "host/stand_in/host_stand_in.h"

using namespace TravexUtils;

namespace {

class CallFrame : public ::testing::Test {
protected:
    void SetUp() override { registerLibraryErrorTables(); }

    // Runs a body with one string argument, as a host call would.
    template <typename Body, typename... Rest>
    int call(Body body, Rest&&... rest) {
        char* path = korvel::newHostString("clip.mp4");
        MArgument arg{};
        arg.utf8string = &path;
        res = 0;
        MArgument result{};
        result.integer = &res;
        const int code =
            runLibraryFunction(korvel::hostLibraryData(), 1, &arg, result, body, std::forward<Rest>(rest)...);
        if (korvel::isLiveHostString(path)) korvel::hostLibraryData()->UTF8String_disown(path);  // not read
        return code;
    }

    mint res = 0;
};

TEST_F(CallFrame, ReportsTheOutcomeAsACode) {
    struct Case {
        const char* what;
        std::function<void(MArgumentManager&)> body;
        int expected;
        int whenEveryFailureIsAFunctionError = 6;  // as the cache deletions report
    };
    const std::vector<Case> cases = {
        {"success", [](MArgumentManager& m) { m.setInteger(42); }, 0, 0},
        {"registered error", [](MArgumentManager&) { ErrorManager::throwException("ReaderInitializeError"); }, -54},
        {"registered error with debug text",
         [](MArgumentManager&) { ErrorManager::throwException("MFEndOfFile", "Can't read video sample"); }, -75},
        {"standard exception", [](MArgumentManager&) { throw std::out_of_range("x"); }, 6},
        {"allocation failure", [](MArgumentManager&) { throw std::bad_alloc(); }, 6},
        {"foreign exception", [](MArgumentManager&) { throw 17; }, 6},
        {"argument index", [](MArgumentManager& m) { m.getString(1); }, -2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(call(c.body), c.expected) << c.what;
        EXPECT_EQ(call(c.body, NoCleanup{}, FailurePolicy::AlwaysFunctionError), c.whenEveryFailureIsAFunctionError)
            << c.what;
    }
    EXPECT_EQ(call([](MArgumentManager& m) { m.setInteger(42); }), 0);
    EXPECT_EQ(res, 42);
}

TEST_F(CallFrame, FailureCleanupRunsWithTheCodeAndMaySetTheResult) {
    int seen = 0;
    const int code = call([](MArgumentManager&) { ErrorManager::throwException("ReadFrameError"); },
                          [&](MArgumentManager& m, int c) {
                              seen = c;
                              m.setInteger(-1);
                          });
    EXPECT_EQ(code, -55);
    EXPECT_EQ(seen, -55);
    EXPECT_EQ(res, -1);
    EXPECT_EQ(call([](MArgumentManager&) {}, [&](MArgumentManager&, int) { seen = 99; }), 0);
    EXPECT_EQ(seen, -55) << "no clean-up after success";

    // The link frame likewise.
    EXPECT_EQ(runLinkFunction([] { ErrorManager::throwException("NumericalError"); }, [&](int c) { seen = c; }), 4);
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(runLinkFunction([] {}, [&](int) { seen = 99; }), 0);
    EXPECT_EQ(seen, 4);
}

// After a failure, a clean-up that throws (a registered error, an unknown
// name, anything else) neither replaces the failure's code nor hides it, in
// every frame and under every policy; the borrowed string still goes back.
TEST_F(CallFrame, AThrowingCleanUpNeverHidesTheFailuresCode) {
    using Thrower = std::function<void()>;
    const std::vector<std::pair<const char*, Thrower>> cleanUps = {
        {"registered error", [] { ErrorManager::throwException("MFEndOfFile", "clean-up"); }},
        {"unregistered name", [] { ErrorManager::throwException("NoSuchError"); }},
        {"standard exception", [] { throw std::runtime_error("clean-up"); }},
    };
    struct Frame {
        const char* what;
        std::function<int(const Thrower& body, const Thrower& cleanUp)> run;
        int registeredFailure;  // what the body's "ReadFrameError" (-55) becomes
    };
    const auto slotFrame = [this](FailurePolicy policy) {
        return [this, policy](const Thrower& body, const Thrower& cleanUp) {
            return call(
                [&](MArgumentManager& m) {
                    m.getString(0);
                    body();
                },
                [&](MArgumentManager&, int) { cleanUp(); }, policy);
        };
    };
    const std::vector<Frame> frames = {
        {"argument slots", slotFrame(FailurePolicy::RegisteredCode), -55},
        {"argument slots, every failure 6", slotFrame(FailurePolicy::AlwaysFunctionError), 6},
        {"link", [](const Thrower& body, const Thrower& cleanUp) {
             return runLinkFunction(body, [&](int) { cleanUp(); });
         }, -55},
    };
    korvel::resetHostCounters();
    for (const Frame& frame : frames) {
        for (const auto& [cleanUpName, cleanUp] : cleanUps) {
            EXPECT_EQ(frame.run([] { ErrorManager::throwException("ReadFrameError"); }, cleanUp),
                      frame.registeredFailure)
                << frame.what << ", clean-up throws a " << cleanUpName;
            EXPECT_EQ(frame.run([] { throw std::bad_alloc(); }, cleanUp), 6)
                << frame.what << ", clean-up throws a " << cleanUpName;
        }
    }
    const auto counters = korvel::hostCounters();
    EXPECT_EQ(counters.liveStrings, 0);
    EXPECT_EQ(counters.stringsHandedBack, 2 * 2 * 3) << "two slot frames, two failures, three clean-ups";
    EXPECT_EQ(counters.invalidHandBacks, 0);
}

}  // namespace
