// Opening a media file for the source reader, with the results Windows gives:
// a missing file HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) (ERROR_PATH_NOT_FOUND
// when its folder is missing), no access (or a folder) E_ACCESSDENIED, a URL
// scheme other than file MF_E_UNSUPPORTED_SCHEME, and anything FFmpeg cannot
// read as a media container with at least one audio or video stream (empty,
// truncated or text files) MF_E_UNSUPPORTED_BYTESTREAM_TYPE.
#pragma once

#include <string>

#include "platform/linux/ffmpeg_handles.h"
#include "platform/media_foundation.h"

namespace MorvalePlatform {

// url is a plain path or a file:// URL, in UTF-8.
HRESULT openMediaFile(const std::string& url, FormatContextPtr& format);

}  // namespace MorvalePlatform
