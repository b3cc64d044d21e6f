// Calls one exported function with arguments given as text and renders its
// result as one JSON value.
#pragma once

#include <string>
#include <vector>

#include "exports/export_manifest.h"
#include "host/korvel/loaded_library.h"

namespace korvel {

struct CallOptions {
    std::string out;        // where images and raw arrays are written
    bool checksum = false;  // hash image and raw array results instead of writing them
    int audioSampleRate = 0;  // of a raw array result, for its WAV file (korvel finds it)
};

struct CallOutcome {
    int code = 0;      // the library's return code
    std::string json;  // the result when code is 0
};

// The manifest row of a function korvel can call (every export but the
// lifecycle entry points, which korvel calls itself), or null.
const MorvaleExports::ExportEntry* findCallable(const std::string& function);

// Throws std::runtime_error for korvel's own failures (unknown function, bad
// argument text); library failures come back as a non-zero code.
CallOutcome runCall(const LoadedLibrary& library, const std::string& function, const std::vector<std::string>& args,
                    const CallOptions& options);

}  // namespace korvel
