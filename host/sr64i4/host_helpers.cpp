// The host side: host links, putting arguments, reading replies, counters and
// failure injection. These bypass failure injection and call counting, which
// concern only the SR functions the library calls.
#include <string>
#include <utility>

#include "host/sr64i4/sr_host.h"
#include "host/sr64i4/state.h"
#include "platform/utf.h"

using sr::State;

namespace {

// Runs fn(link) under the lock, or returns fallback when the handle is not open.
template <class Fn, class R>
R withLink(SRLINK handle, R fallback, Fn fn) {
    State& state = State::get();
    auto guard = state.lock();
    SRLinkRecord* link = state.find(handle);
    return link == nullptr ? fallback : fn(*link);
}

// Text on a link is always valid UTF-8; the host side is held to that too.
bool validText(const SrValue& v) {
    if (v.kind == SrValue::Kind::String && !MorvalePlatform::decodeUtf8(v.text)) return false;
    for (const SrValue& arg : v.args)
        if (!validText(arg)) return false;
    return true;
}

}  // namespace

SRLINK srhost_newLink() {
    State& state = State::get();
    auto guard = state.lock();
    return state.open(SRLinkRecord::Kind::Host);
}

void srhost_deleteLink(SRLINK link) {
    State& state = State::get();
    auto guard = state.lock();
    state.close(link);
}

bool srhost_put(SRLINK link, const SrValue& expression) {
    if (!validText(expression)) return false;
    return withLink(link, false, [&](SRLinkRecord& l) {
        l.hostWrites().put(expression);
        return true;
    });
}

bool srhost_putArguments(SRLINK link, const std::vector<SrValue>& arguments) {
    return srhost_put(link, SrValue::ofList(arguments));
}

std::optional<SrValue> srhost_read(SRLINK link) {
    return withLink(link, std::optional<SrValue>(), [](SRLinkRecord& l) -> std::optional<SrValue> {
        if (l.hostReads().empty()) return std::nullopt;
        return l.hostReads().take();
    });
}

std::optional<SrValue> srhost_partial(SRLINK link) {
    return withLink(link, std::optional<SrValue>(), [](SRLinkRecord& l) { return l.hostReads().partial(); });
}

int srhost_resultCount(SRLINK link) {
    return withLink(link, 0, [](SRLinkRecord& l) { return static_cast<int>(l.hostReads().size()); });
}

int srhost_unreadCount(SRLINK link) {
    return withLink(link, 0, [](SRLinkRecord& l) { return static_cast<int>(l.hostWrites().size()); });
}

SrPacketRecord srhost_packetRecord(SRLINK link) {
    return withLink(link, SrPacketRecord{}, [](SRLinkRecord& l) { return l.packets; });
}

void srhost_failCall(const char* function, int k, int code, const char* message) {
    State& state = State::get();
    auto guard = state.lock();
    state.inject(function, k, code, message);
}

void srhost_reset() {
    State& state = State::get();
    auto guard = state.lock();
    state.reset();
}

long long srhost_callCount(const char* function) {
    State& state = State::get();
    auto guard = state.lock();
    return state.callCount(function);
}

std::vector<std::string> srhost_callLog() {
    State& state = State::get();
    auto guard = state.lock();
    return state.callLog();
}

int srhost_openLinks() {
    State& state = State::get();
    auto guard = state.lock();
    return state.openCount();
}

int srhost_openLoopbackLinks() {
    State& state = State::get();
    auto guard = state.lock();
    return state.openLoopbackCount();
}

int srhost_liveErrorMessages() {
    State& state = State::get();
    auto guard = state.lock();
    return state.liveMessages();
}

int srhost_liveLoans() {
    State& state = State::get();
    auto guard = state.lock();
    return state.liveLoans();
}

SrMisuse srhost_misuse() {
    State& state = State::get();
    auto guard = state.lock();
    return state.misuse;
}

void srhost_setUnknownStringLengths(bool on) {
    State& state = State::get();
    auto guard = state.lock();
    state.unknownStringLengths = on;
}
