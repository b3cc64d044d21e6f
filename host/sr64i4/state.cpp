#include "host/sr64i4/state.h"

#include <algorithm>
#include <cstring>

namespace sr {

State& State::get() {
    static State state;
    return state;
}

SRLINK State::open(SRLinkRecord::Kind kind) {
    auto record = std::make_unique<SRLinkRecord>(kind, &environment_);
    SRLINK handle = record.get();
    links_.emplace(handle, std::move(record));
    return handle;
}

SRLinkRecord* State::find(SRLINK handle) {
    auto it = links_.find(handle);
    return it == links_.end() ? nullptr : it->second.get();
}

void State::close(SRLINK handle) { links_.erase(handle); }

int State::openLoopbackCount() const {
    return static_cast<int>(std::count_if(links_.begin(), links_.end(), [](const auto& entry) {
        return entry.second->kind == SRLinkRecord::Kind::Loopback;
    }));
}

int State::liveLoans() const {
    std::size_t total = 0;
    for (const auto& entry : links_) total += entry.second->loans.size();
    return static_cast<int>(total);
}

std::optional<InjectedFailure> State::enter(const char* function) {
    const long long n = ++calls_[function];
    log_.emplace_back(function);
    if (log_.size() > kLogLimit) log_.pop_front();
    auto due = std::find_if(rules_.begin(), rules_.end(),
                            [&](const Rule& r) { return r.atCall == n && r.function == function; });
    if (due == rules_.end()) return std::nullopt;
    InjectedFailure failure = std::move(due->failure);
    rules_.erase(due);
    return failure;
}

void State::inject(const char* function, int k, int code, const char* message) {
    rules_.push_back(Rule{function, callCount(function) + k, InjectedFailure{code, message ? message : ""}});
}

long long State::callCount(const std::string& function) const {
    auto it = calls_.find(function);
    return it == calls_.end() ? 0 : it->second;
}

const char* State::newMessage(const std::string& text) {
    auto copy = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    const char* key = copy.get();
    messages_.emplace(key, std::move(copy));
    return key;
}

bool State::releaseMessage(const char* message) { return messages_.erase(message) == 1; }

void State::reset() {
    rules_.clear();
    calls_.clear();
    log_.clear();
    misuse = SrMisuse{};
    unknownStringLengths = false;
}

}  // namespace sr
