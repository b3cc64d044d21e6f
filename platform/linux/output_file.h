// Creating the file a sink writer writes, with the results Windows gives: a
// folder, or a place without write access, E_ACCESSDENIED; a missing folder
// HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND). An existing file is replaced
// (emptied). Only the file protocol is used, whatever the path holds.
#pragma once

#include <string>

#include "platform/linux/ffmpeg_handles.h"
#include "platform/media_foundation.h"

namespace MorvalePlatform {

HRESULT createOutputFile(const std::string& path, AVIOContext** io);

}  // namespace MorvalePlatform
