// Which compressed video encodings the machine can both encode and decode,
// for the host to offer as codec choices. Only H.264 and HEVC are probed;
// every call enumerates afresh and keeps nothing.
#pragma once

#include <string>

#include "platform/windows_base.h"

namespace TravexUtils {

// "H264", "HEVC", "H264,HEVC" or "" for the container names "AVI" and
// "QuickTime" (exact, case-sensitive); "" without enumerating for any other
// name. Platform failures only leave an encoding out.
std::string listSupportedEncodings(const std::string& container);

// True when an encoder to the subtype and a decoder from it are both found.
bool isEncodingSupported(const GUID& subtype);

}  // namespace TravexUtils
