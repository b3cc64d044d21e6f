#include "host/korvel/error_report.h"

#include <map>
#include <utility>

#include "host/korvel/link_calls.h"
#include "host/sr64i4/json_text.h"

namespace korvel {
namespace {

using ErrorTable = std::map<long long, std::pair<std::string, std::string>>;

// The library's registered errors, fetched once over a link as a host does.
const ErrorTable& registeredErrors(const LoadedLibrary& library) {
    static ErrorTable table;
    static bool fetched = false;
    if (fetched) return table;
    fetched = true;
    void* entry = library.symbol("sendRegisteredErrors");
    if (entry == nullptr) return table;
    int code = 0;
    const std::optional<SrValue> association = callOverLink(entry, {}, code);
    if (code != 0 || !association || !association->isFunction("Association")) return table;
    for (const SrValue& rule : association->args) {
        if (!rule.isFunction("Rule") || rule.args.size() != 2) continue;
        const SrValue& value = rule.args[1];
        if (!value.isFunction("List") || value.args.size() != 2) continue;
        table[value.args[0].integer] = {rule.args[0].text, value.args[1].text};
    }
    return table;
}

}  // namespace

std::string describeFailure(const LoadedLibrary& library, int code) {
    const ErrorTable& table = registeredErrors(library);
    const auto it = table.find(code);
    const std::string name = it != table.end() ? sr::jsonString(it->second.first) : "null";
    const std::string message = it != table.end() ? sr::jsonString(it->second.second) : "null";
    return "{\"error\":" + name + ",\"code\":" + std::to_string(code) + ",\"message\":" + message + "}";
}

std::string describeUsageError(const std::string& message) {
    return "{\"error\":\"KorvelUsage\",\"code\":null,\"message\":" + sr::jsonString(message) + "}";
}

}  // namespace korvel
