// Encoding names of video subtypes, for the DirectShow and the Media
// Foundation readers (the video writer looks names up in the latter). Keys are
// matched on the subtype GUID's first 32-bit field alone. Built at load time,
// read-only afterwards.
#pragma once

#include <map>
#include <string>

#include "platform/windows_base.h"

namespace TravexUtils {

// Orders GUIDs by Data1 only (as an unsigned number).
struct GuidData1Less {
    bool operator()(const GUID& a, const GUID& b) const noexcept { return a.Data1 < b.Data1; }
};

using SubtypeNameTable = std::map<GUID, std::string, GuidData1Less>;

// The subtype GUID of a four-character code: the characters in memory order
// (first character in the lowest byte) followed by the fixed FourCC tail.
GUID fourCCSubtype(const char (&code)[5]);

const SubtypeNameTable& DSSubtypeNameTable();
const SubtypeNameTable& MFSubtypeNameTable();

// The name of a subtype, or the empty string when the table has none.
std::string subtypeName(const SubtypeNameTable& table, const GUID& subtype);

}  // namespace TravexUtils
