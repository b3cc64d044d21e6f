// Turns a failed link call into a registered error whose debug text carries
// the link's own error code and message followed by what was being done.
// Reading the link's error clears it.
#pragma once

#include <string>

#include "link/sr64i4.h"

namespace TravexUtils {

// Returns when status is not 0; otherwise raises the named error with
// linkErrorText(link) followed by debugInfo.
void checkLinkStatus(SRLINK link, int status, const std::string& errorName, const std::string& debugInfo);

// "Error code reported by Serrin: <code>\n\"<message>\"\nDebug info: ", then
// releases the message and clears the link's error.
std::string linkErrorText(SRLINK link);

}  // namespace TravexUtils
