#include "host/korvel/link_calls.h"

#include <memory>
#include <stdexcept>

#include "host/korvel/argument_text.h"
#include "host/sr64i4/sr_host.h"
#include "host/stand_in/host_stand_in.h"

namespace korvel {
namespace {

struct HostLinkDelete {
    void operator()(SRLinkRecord* link) const { srhost_deleteLink(link); }
};

SrValue argumentValue(ArgumentKind kind, const std::string& text) {
    switch (kind) {
        case ArgumentKind::String: return SrValue::ofString(text);
        case ArgumentKind::Integer: return SrValue::ofInteger(parseInteger(text));
        case ArgumentKind::IntegerList: {
            std::vector<SrValue> elements;
            for (long long v : parseIntegerList(text)) elements.push_back(SrValue::ofInteger(v));
            return SrValue::ofList(std::move(elements));
        }
        case ArgumentKind::RealList: {
            std::vector<SrValue> elements;
            for (double v : parseRealList(text)) elements.push_back(SrValue::ofReal(v));
            return SrValue::ofList(std::move(elements));
        }
        default: throw std::invalid_argument("link calls take strings, integers and lists only");
    }
}

}  // namespace

std::optional<SrValue> callOverLink(void* entry, const std::vector<SrValue>& arguments, int& code) {
    std::unique_ptr<SRLinkRecord, HostLinkDelete> link(srhost_newLink());
    if (!srhost_putArguments(link.get(), arguments)) throw std::invalid_argument("arguments are not valid UTF-8");
    auto function = reinterpret_cast<int (*)(KorvelLibraryData, SRLINK)>(entry);
    code = function(hostLibraryData(), link.get());
    if (code != 0) return std::nullopt;
    return srhost_read(link.get());
}

CallOutcome runLinkCall(void* symbol, const MorvaleExports::ExportEntry& entry, const std::vector<std::string>& args) {
    const auto kinds = entry.arguments();
    checkArgumentCount(kinds, args);
    std::vector<SrValue> values;
    for (std::size_t i = 0; i < args.size(); ++i) values.push_back(argumentValue(kinds[i], args[i]));
    CallOutcome outcome;
    const std::optional<SrValue> result = callOverLink(symbol, values, outcome.code);
    if (outcome.code == 0) {
        if (!result) throw std::runtime_error(std::string(entry.name) + " returned 0 but wrote nothing on the link");
        outcome.json = srhost_toJson(*result);
    }
    return outcome;
}

}  // namespace korvel
