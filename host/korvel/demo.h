// korvel demo: the main job on a sample clip, step by step, as a user would
// run it by hand: the library's version, the clip's properties and frame
// count, its first three frames written as PNG, and those frames written
// as a short clip through the library's writer and read back.
#pragma once

#include <string>

#include "host/korvel/loaded_library.h"

namespace korvel {

// Prints each step and its result; returns korvel's exit status.
int runDemo(const LoadedLibrary& library, const std::string& samplePath, const std::string& outputDirectory);

}  // namespace korvel
