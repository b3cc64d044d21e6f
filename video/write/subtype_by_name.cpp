#include "video/write/subtype_by_name.h"

#include "bridge/error_manager.h"
#include "video/read/codec_name_tables.h"

namespace TravexUtils {

GUID findSubtypeByName(const std::string& name) {
    for (const auto& [key, entryName] : MFSubtypeNameTable()) {
        if (entryName == name) {
            return key;
        }
    }
    ErrorManager::throwException("MFCodecError", "Unknown codec");
}

}  // namespace TravexUtils
