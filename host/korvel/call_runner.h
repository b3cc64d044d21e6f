// Calls one exported function with arguments given as text and renders its
// result as one JSON value.
#pragma once

#include <string>
#include <vector>

#include "host/korvel/loaded_library.h"

namespace korvel {

struct CallOptions {
    std::string out;        // where images and raw arrays are written
    bool checksum = false;  // hash image results instead of writing them
};

struct CallOutcome {
    int code = 0;      // the library's return code
    std::string json;  // the result when code is 0
};

// Throws std::runtime_error for korvel's own failures (unknown function, bad
// argument text); library failures come back as a non-zero code.
CallOutcome runCall(const LoadedLibrary& library, const std::string& function, const std::vector<std::string>& args,
                    const CallOptions& options);

}  // namespace korvel
