// Turns a library return code into korvel's error JSON, with the name and
// message taken from the library's own error table.
#pragma once

#include <string>

#include "host/korvel/loaded_library.h"

namespace korvel {

std::string describeFailure(const LoadedLibrary& library, int code);
std::string describeUsageError(const std::string& message);

}  // namespace korvel
