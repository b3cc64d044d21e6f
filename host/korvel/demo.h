// korvel demo: the main job on a sample clip, step by step, as a user would
// run it by hand.
#pragma once

#include <string>

#include "host/korvel/loaded_library.h"

namespace korvel {

// Prints each step and its JSON result; returns korvel's exit status.
int runDemo(const LoadedLibrary& library, const std::string& samplePath);

}  // namespace korvel
