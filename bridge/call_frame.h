// The frames exported library functions run their bodies in, both over the
// one error boundary (error_boundary.h): a registered error that escapes the
// body becomes its code, anything else 6 ("FunctionError"); a clean-up that
// throws never hides that code; the debug text never reaches the host.
#pragma once

#include <optional>
#include <utility>

#include "bridge/error_boundary.h"
#include "bridge/korvel_library.h"
#include "bridge/margument_manager.h"

namespace TravexUtils {

struct NoCleanup {
    void operator()(MArgumentManager&, int) const noexcept {}
};

// Runs body(manager) for an argument-slot function. onFailure(manager, code)
// runs before a failure's code is returned, for functions whose failures
// also clean up global state or set a result; it does not run when the
// manager itself could not be built. The manager is destroyed on the way
// out in every case, handing the borrowed strings back.
template <typename Body, typename OnFailure = NoCleanup>
int runLibraryFunction(KorvelLibraryData libData, mint argc, MArgument* args, MArgument res, Body&& body,
                       OnFailure&& onFailure = {}, FailurePolicy policy = FailurePolicy::RegisteredCode) noexcept {
    std::optional<MArgumentManager> manager;
    return runInBoundary(
        policy,
        [&] {
            manager.emplace(libData, argc, args, res);
            std::forward<Body>(body)(*manager);
        },
        [&](int code) {
            if (manager) onFailure(*manager, code);
        });
}

// Runs body() for a link-based function: no argument manager and no refresh
// of the callback-table copy. onFailure(code) runs before a failure's code is
// returned.
template <typename Body, typename OnFailure>
int runLinkFunction(Body&& body, OnFailure&& onFailure) noexcept {
    return runInBoundary(FailurePolicy::RegisteredCode, body, onFailure);
}

template <typename Body>
int runLinkFunction(Body&& body) noexcept {
    return runInBoundary(FailurePolicy::RegisteredCode, body);
}

}  // namespace TravexUtils
