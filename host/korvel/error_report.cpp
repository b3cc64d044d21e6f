#include "host/korvel/error_report.h"

#include "host/korvel/json_writer.h"

namespace korvel {

std::string describeFailure(const LoadedLibrary&, int code) {
    return "{\"error\":null,\"code\":" + std::to_string(code) + ",\"message\":null}";
}

std::string describeUsageError(const std::string& message) {
    return "{\"error\":\"KorvelUsage\",\"code\":null,\"message\":" + jsonString(message) + "}";
}

}  // namespace korvel
