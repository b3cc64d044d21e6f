#include "bridge/error_boundary.h"

#include "bridge/travex_error.h"

namespace TravexUtils {

int runInBoundary(FailurePolicy policy, FunctionRef<void()> work, FunctionRef<void(int)> cleanup) noexcept {
    int code = kFunctionErrorCode;
    try {
        work();
        return 0;
    } catch (const TravexError& error) {
        if (policy == FailurePolicy::RegisteredCode) code = error.id();
    } catch (...) {
        // any other exception (standard library, allocation, foreign) is a function error
    }
    try {
        cleanup(code);
    } catch (...) {
        // the failure's own code stands; a clean-up cannot replace or hide it
    }
    return code;
}

int runInBoundary(FailurePolicy policy, FunctionRef<void()> work) noexcept {
    return runInBoundary(policy, work, [](int) noexcept {});
}

}  // namespace TravexUtils
