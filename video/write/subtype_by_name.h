// From a codec name to the output subtype the sink writer encodes into:
// the reverse of the Media Foundation subtype name table.
#pragma once

#include <string>

#include "platform/windows_base.h"

namespace TravexUtils {

// Walks the Media Foundation subtype name table in ascending Data1 order and
// returns the key of the first entry whose name equals the given one byte
// for byte ("Uncompressed" is RGB24, the smallest of its three keys). No
// such entry raises "MFCodecError" ("Unknown codec").
GUID findSubtypeByName(const std::string& name);

}  // namespace TravexUtils
