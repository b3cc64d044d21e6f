// Media files korvel turns into host arrays: PNG frames for images.
#pragma once

#include <string>

#include "bridge/korvel_library.h"

namespace korvel {

// A PNG file becomes a 2D RGB image; a directory of PNG files (sorted by
// name) a 3D one. Throws std::runtime_error on unreadable input.
MImage readImageArgument(const std::string& path);

}  // namespace korvel
