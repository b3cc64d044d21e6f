// CheckedCalls; see session_checks.h.
#include "tests/fuzz/session_checks.h"

#include <utility>

#include "host/stand_in/host_stand_in.h"

namespace morvale_fuzz {

std::optional<long long> integerRule(const SrValue& association, const std::string& key) {
    for (const SrValue& rule : association.args) {
        if (rule.isFunction("Rule") && rule.args.size() == 2 && rule.args[0].text == key &&
            rule.args[1].kind == SrValue::Kind::Integer) {
            return rule.args[1].integer;
        }
    }
    return std::nullopt;
}

void CheckedCalls::record(const std::string& label, int code) {
    report_.calls.push_back({label, code});
    if (code != 0 && !codes_.contains(code)) {
        problem(label + " returned the unregistered code " + std::to_string(code));
    }
}

int CheckedCalls::run(const std::string& label, morvale_test::SlotFunction fn, morvale_test::ExportCall& call,
                      Result kind, long argumentArrays) {
    const int code = call.run(fn, kind);
    record(label, code);
    const korvel::HostCounters host = korvel::hostCounters();
    if (host.liveStrings != 0) problem(label + " did not hand back its string argument");
    const bool arrayResult = kind == Result::Image || kind == Result::RealTensor || kind == Result::RawArray;
    const bool resultGiven = call.image() != nullptr || call.tensor() != nullptr || call.rawArray() != nullptr;
    if (code != 0 && resultGiven) problem(label + " failed but handed over a result");
    if (code == 0 && arrayResult && !resultGiven) problem(label + " succeeded without a result");
    const long expectedArrays = argumentArrays + (resultGiven ? 1 : 0);
    if (host.liveArrays() != expectedArrays) {
        problem(label + " left " + std::to_string(host.liveArrays() - expectedArrays) + " host array(s) behind");
    }
    return code;
}

std::optional<SrValue> CheckedCalls::runOverLink(const std::string& label, int (*fn)(KorvelLibraryData, SRLINK),
                                                 const std::string& path) {
    auto reply = morvale_test::callPropertiesExport(fn, {SrValue::ofString(path)});
    record(label, reply.code);
    if (reply.partial) problem(label + " left an unfinished expression on the link");
    if (reply.code != 0) {
        if (reply.expression) problem(label + " failed but wrote a result");
        return std::nullopt;
    }
    if (!reply.expression || !reply.expression->isFunction("Association")) {
        problem(label + " succeeded without writing an association");
        return std::nullopt;
    }
    return std::move(reply.expression);
}

void CheckedCalls::dropCacheEntry(const std::string& label, morvale_test::SlotFunction fn, const std::string& path) {
    {
        morvale_test::ExportCall call;
        call.string(path);
        run(label, fn, call, Result::Boolean, 0);
    }
    morvale_test::ExportCall again;
    again.string(path);
    if (run(label, fn, again, Result::Boolean, 0) == 0 && again.boolean()) {
        problem(label + " left an entry for the file");
    }
}

}  // namespace morvale_fuzz
