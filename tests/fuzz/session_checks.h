// What every reading session checks on each export call as it returns: a
// failure code must be one the library registered, a failed call hands back
// no result, the path string is handed back, and no host array is left
// beyond the call's own arguments and result. Problems and the calls made
// are collected in a SessionReport.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/fuzz/registered_codes.h"
#include "tests/support/export_calls.h"

namespace morvale_fuzz {

struct ExportOutcome {
    std::string call;  // export name, with the arguments that tell calls apart
    int code = 0;
};

struct SessionReport {
    std::vector<ExportOutcome> calls;
    std::vector<std::string> problems;  // empty when the library stayed healthy
};

// The integer value of the rule key -> integer in an association, if any.
std::optional<long long> integerRule(const SrValue& association, const std::string& key);

class CheckedCalls {
public:
    using Result = morvale_test::ExportCall::Result;

    CheckedCalls(const RegisteredCodes& codes, SessionReport& report) : codes_(codes), report_(report) {}

    void problem(const std::string& text) { report_.problems.push_back(text); }

    // Records a call's code; a failure code must be registered.
    void record(const std::string& label, int code);

    // Runs one argument-slot call and checks what the host holds right after
    // it, before the call's own arguments and result are freed.
    int run(const std::string& label, morvale_test::SlotFunction fn, morvale_test::ExportCall& call, Result kind,
            long argumentArrays);

    // Runs a link-form export with the path as its one argument; the
    // association it wrote when it succeeded. A failed call must write no
    // result, and no call may leave an unfinished expression on the link.
    std::optional<SrValue> runOverLink(const std::string& label, int (*fn)(KorvelLibraryData, SRLINK),
                                       const std::string& path);

    // Drops the path's cache entry with the named cache export; asking again
    // must find nothing.
    void dropCacheEntry(const std::string& label, morvale_test::SlotFunction fn, const std::string& path);

private:
    const RegisteredCodes& codes_;
    SessionReport& report_;
};

}  // namespace morvale_fuzz
