// Turns a platform result into a registered error: anything but 0, success
// codes other than S_OK included, raises the named error with the debug text.
// Shared by the media areas (video, audio): it joins the error registry and
// the platform's result type, which know nothing of each other.
#pragma once

#include <string>

#include "bridge/error_manager.h"
#include "platform/windows_base.h"

namespace TravexUtils {

inline void checkHResult(HRESULT result, const std::string& errorName, const std::string& debugInfo) {
    if (result != 0) {
        ErrorManager::throwException(errorName, debugInfo);
    }
}

}  // namespace TravexUtils
