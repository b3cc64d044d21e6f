// Process-wide state of the link stand-in: the open links, the environment,
// live error-message strings, call counts, injected failures and misuse
// counters. Every exported function works on it under lock().
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/sr64i4/link_record.h"

namespace sr {

struct InjectedFailure {
    int code;
    std::string message;
};

class State {
public:
    static State& get();

    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(mutex_); }

    // Links. find returns null for a handle that is not open.
    SRLINK open(SRLinkRecord::Kind kind);
    SRLinkRecord* find(SRLINK handle);
    void close(SRLINK handle);
    int openCount() const { return static_cast<int>(links_.size()); }
    int openLoopbackCount() const;
    int liveLoans() const;
    SREnvRecord* environment() { return &environment_; }

    // Counts a call, logs it, and returns the injected failure due now, if any.
    std::optional<InjectedFailure> enter(const char* function);
    void inject(const char* function, int k, int code, const char* message);
    long long callCount(const std::string& function) const;
    std::vector<std::string> callLog() const { return {log_.begin(), log_.end()}; }

    // Error-message strings handed out by SRErrorMessage.
    const char* newMessage(const std::string& text);
    bool releaseMessage(const char* message);
    int liveMessages() const { return static_cast<int>(messages_.size()); }

    SrMisuse misuse;
    bool unknownStringLengths = false;

    // Forgets injections, counts, the log, misuse counters and options.
    void reset();

private:
    struct Rule {
        std::string function;
        long long atCall;
        InjectedFailure failure;
    };
    static constexpr std::size_t kLogLimit = 100000;

    std::mutex mutex_;
    SREnvRecord environment_;
    std::map<SRLINK, std::unique_ptr<SRLinkRecord>> links_;
    std::map<const char*, std::unique_ptr<char[]>> messages_;
    std::map<std::string, long long, std::less<>> calls_;
    std::deque<std::string> log_;
    std::vector<Rule> rules_;
};

}  // namespace sr
