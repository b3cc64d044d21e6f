// Calls of link-based exports: the arguments go onto a host link, the
// function is called with it, and the expression it wrote is read back and
// rendered as JSON.
#pragma once

#include <string>
#include <vector>

#include "host/korvel/call_runner.h"
#include "host/korvel/signatures.h"

namespace korvel {

CallOutcome runLinkCall(void* entry, const Signature& signature, const std::vector<std::string>& args);

}  // namespace korvel
