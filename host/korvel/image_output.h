// Image results: written as PNG (a 2D image to the --out file, a 3D image as
// one zero-padded PNG per slice in the --out directory), or hashed with
// --checksum, and summarised as JSON.
#pragma once

#include <string>

#include "bridge/korvel_library.h"
#include "host/korvel/call_runner.h"

namespace korvel {

std::string renderImage(MImage image, const CallOptions& options);

}  // namespace korvel
