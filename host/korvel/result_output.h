// Renders a call's result as JSON. Arrays the library handed to the host are
// written out (PNG frames, WAV) or summarised, then freed: the host owns them.
#pragma once

#include <string>

#include "host/korvel/call_runner.h"
#include "host/stand_in/host_arguments.h"

namespace korvel {

std::string renderResult(ResultKind kind, ResultStorage& result, const CallOptions& options);

}  // namespace korvel
