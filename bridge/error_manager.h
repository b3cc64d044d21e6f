// Process-wide registry of named errors with fixed codes and messages.
// Throw sites raise a registered error by name; codes are handed out downward
// from 7 in registration order, the first eight being the host's own codes.
// The registry is created (with its built-in table) at first use, thread-safely;
// registration and lookups run unguarded on the host's calling thread.
#pragma once

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bridge/travex_error.h"

namespace TravexUtils {

class ErrorManager {
public:
    using ErrorMap = std::unordered_map<std::string, TravexError>;

    ErrorManager() = delete;

    // The registry, created with the built-in table on first use.
    static const ErrorMap& errors();

    // Registers (name, message) pairs in order. Re-registering a name with the
    // same message changes nothing; with another message it raises
    // "ErrorManagerCreateNameError" (pairs before it stay registered).
    static void registerErrors(const std::vector<std::pair<std::string, std::string>>& errs);

    // The registered error of that name; an unknown name raises
    // "ErrorManagerThrowNameError".
    static const TravexError& findError(const std::string& name);

    [[noreturn]] static void throwException(const std::string& name);
    [[noreturn]] static void throwException(const std::string& name, const std::string& debugInfo);

    // The code the next registration would take (for diagnostics and tests).
    static int nextCode();

private:
    static ErrorMap& registry();
};

}  // namespace TravexUtils
