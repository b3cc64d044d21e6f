// The library's one error boundary. Every exported function, the lifecycle
// entry points included, runs its work through runInBoundary: a registered
// error that escapes the work gives its code, anything else gives 6
// ("FunctionError"), and nothing escapes to the host. The frames of
// call_frame.h build on it.
#pragma once

#include "bridge/function_ref.h"

namespace TravexUtils {

inline constexpr int kFunctionErrorCode = 6;

// What a failed export returns.
enum class FailurePolicy {
    RegisteredCode,      // the escaping registered error's own code; 6 for any other exception
    AlwaysFunctionError  // 6 for every failure (the cache-deletion functions)
};

// Runs work(). Returns 0 when it completes; otherwise the failure's code
// under the policy, after cleanup(code) has run. Whatever the clean-up
// throws is dropped: the code the host receives is always the original
// failure's.
int runInBoundary(FailurePolicy policy, FunctionRef<void()> work, FunctionRef<void(int)> cleanup) noexcept;

// The same without clean-up.
int runInBoundary(FailurePolicy policy, FunctionRef<void()> work) noexcept;

}  // namespace TravexUtils
