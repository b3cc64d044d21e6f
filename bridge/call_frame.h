// The frame every exported library function runs its body in. A registered
// error that escapes the body becomes its code, anything else becomes 6
// ("FunctionError"); the debug text never reaches the host. The argument
// manager is destroyed on the way out in every case, handing the borrowed
// strings back.
#pragma once

#include <exception>
#include <utility>

#include "bridge/korvel_library.h"
#include "bridge/margument_manager.h"
#include "bridge/travex_error.h"

namespace TravexUtils {

inline constexpr int kFunctionErrorCode = 6;

// How a failure is reported at the boundary.
enum class FailureReport {
    ErrorCode,          // a registered error returns its own code
    AlwaysFunctionError // every failure returns 6 (the cache-deletion functions)
};

struct NoCleanup {
    void operator()(MArgumentManager&, int) const noexcept {}
};

// Runs body(manager) for an argument-slot function. onFailure(manager, code)
// runs before a failure's code is returned, for functions whose failures
// also clean up global state or set a result.
template <typename Body, typename OnFailure = NoCleanup>
int runLibraryFunction(KorvelLibraryData libData, mint argc, MArgument* args, MArgument res, Body&& body,
                       OnFailure&& onFailure = {}, FailureReport report = FailureReport::ErrorCode) noexcept {
    try {
        MArgumentManager manager(libData, argc, args, res);
        int code = 0;
        try {
            std::forward<Body>(body)(manager);
            return 0;
        } catch (const TravexError& error) {
            code = report == FailureReport::ErrorCode ? error.id() : kFunctionErrorCode;
        } catch (...) {
            code = kFunctionErrorCode;
        }
        onFailure(manager, code);
        return code;
    } catch (const TravexError& error) {
        return report == FailureReport::ErrorCode ? error.id() : kFunctionErrorCode;
    } catch (...) {
        return kFunctionErrorCode;
    }
}

// Runs body() for a link-based function: no argument manager and no refresh
// of the callback-table copy. onFailure(code) runs before a failure's code is
// returned.
template <typename Body, typename OnFailure>
int runLinkFunction(Body&& body, OnFailure&& onFailure) noexcept {
    int code = 0;
    try {
        std::forward<Body>(body)();
        return 0;
    } catch (const TravexError& error) {
        code = error.id();
    } catch (...) {
        code = kFunctionErrorCode;
    }
    try {
        onFailure(code);
    } catch (...) {
        // clean-up after a failure must not hide the failure's own code
    }
    return code;
}

template <typename Body>
int runLinkFunction(Body&& body) noexcept {
    return runLinkFunction(std::forward<Body>(body), [](int) noexcept {});
}

}  // namespace TravexUtils
