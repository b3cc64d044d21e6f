#include "link/link_status.h"

#include "bridge/error_manager.h"

namespace TravexUtils {

std::string linkErrorText(SRLINK link) {
    const int code = SRError(link);
    std::string text = "Error code reported by Serrin: " + std::to_string(code) + "\n";
    const char* message = SRErrorMessage(link);
    text += "\"";
    text += message != nullptr ? message : "";
    text += "\"\nDebug info: ";
    if (message != nullptr) {
        SRReleaseErrorMessage(link, message);
    }
    SRClearError(link);
    return text;
}

void checkLinkStatus(SRLINK link, int status, const std::string& errorName, const std::string& debugInfo) {
    if (status != 0) {
        return;
    }
    ErrorManager::throwException(errorName, linkErrorText(link) + debugInfo);
}

}  // namespace TravexUtils
