// Calls of link-based exports: the arguments go onto a host link as a List,
// the function is called with the link, and the expression it wrote is read
// back and rendered as JSON.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/korvel/call_runner.h"
#include "exports/export_manifest.h"
#include "host/sr64i4/sr_value.h"

namespace korvel {

CallOutcome runLinkCall(void* symbol, const MorvaleExports::ExportEntry& entry, const std::vector<std::string>& args);

// Puts List[arguments...] on a fresh host link, calls the function and reads
// back what it wrote; nullopt when it failed (code set) or wrote nothing.
std::optional<SrValue> callOverLink(void* entry, const std::vector<SrValue>& arguments, int& code);

}  // namespace korvel
