// Media files korvel turns into host arrays: PNG frames or video files for
// images.
#pragma once

#include <string>

#include "bridge/korvel_library.h"
#include "host/korvel/loaded_library.h"

namespace korvel {

// A PNG file becomes a 2D RGB image; a directory of PNG files (sorted by
// name) a 3D one; a file named NAME.WIDTHxHEIGHT.rgb24 holds raw frames
// (packed 8-bit RGB, top row first, frame after frame: what ffmpeg's
// `-f rawvideo -pix_fmt rgb24` writes) and becomes a 3D one; any other file is a video whose every frame the library
// itself decodes (MFReadVideoData) into a 3D image, when a library is given.
// Throws std::runtime_error on unreadable input.
MImage readImageArgument(const std::string& path, const LoadedLibrary* library = nullptr);

}  // namespace korvel
