// State behind test control: armed failures, call counts, object and frame
// counters and the quirks; see test_control.h and test_hooks.h.
#include "platform/linux/test_hooks.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>

namespace MorvalePlatform {

namespace {

struct ArmedFailure {
    HRESULT result;
    long failingUse;  // the value of the call count at which it fires
};

struct CallState {
    std::mutex mutex;
    std::map<std::string, long, std::less<>> uses;
    std::map<std::string, ArmedFailure, std::less<>> armed;
    TestControl::Quirks quirks;
};

CallState& callState() {
    static CallState state;
    return state;
}

std::atomic<long> liveObjectCount{0};
std::atomic<long> decodedFrameCount{0};
std::atomic<long> convertedFrameCount{0};
std::atomic<long> retainedPacketCount{0};
std::atomic<long> streamingThreadCount{0};
std::atomic<long> retainedPacketPeak{0};
std::atomic<int> decoderThreadCount{0};
thread_local int internalDepth = 0;

}  // namespace

namespace Hooks {

HRESULT callResult(std::string_view name) {
    if (internalDepth > 0) return S_OK;
    CallState& state = callState();
    std::lock_guard lock(state.mutex);
    auto use = state.uses.find(name);
    if (use == state.uses.end()) use = state.uses.emplace(std::string(name), 0).first;
    const long count = ++use->second;
    auto armed = state.armed.find(name);
    if (armed == state.armed.end() || armed->second.failingUse != count) return S_OK;
    const HRESULT result = armed->second.result;
    state.armed.erase(armed);
    return result;
}

InternalCalls::InternalCalls() noexcept { ++internalDepth; }
InternalCalls::~InternalCalls() { --internalDepth; }

void objectCreated() noexcept { liveObjectCount.fetch_add(1, std::memory_order_relaxed); }
void objectDestroyed() noexcept { liveObjectCount.fetch_sub(1, std::memory_order_relaxed); }
void frameDecoded() noexcept { decodedFrameCount.fetch_add(1, std::memory_order_relaxed); }
void frameConverted() noexcept { convertedFrameCount.fetch_add(1, std::memory_order_relaxed); }
void streamingThreadStarted() noexcept { streamingThreadCount.fetch_add(1, std::memory_order_relaxed); }
void streamingThreadEnded() noexcept { streamingThreadCount.fetch_sub(1, std::memory_order_relaxed); }

void packetsRetained(long delta) noexcept {
    const long now = retainedPacketCount.fetch_add(delta, std::memory_order_relaxed) + delta;
    long peak = retainedPacketPeak.load(std::memory_order_relaxed);
    while (now > peak && !retainedPacketPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
}

TestControl::Quirks currentQuirks() {
    CallState& state = callState();
    std::lock_guard lock(state.mutex);
    return state.quirks;
}

int decoderThreads() noexcept { return decoderThreadCount.load(std::memory_order_relaxed); }

}  // namespace Hooks

namespace TestControl {

void failCall(const std::string& name, HRESULT result, int occurrence) {
    CallState& state = callState();
    std::lock_guard lock(state.mutex);
    const auto use = state.uses.find(name);
    const long used = use == state.uses.end() ? 0 : use->second;
    state.armed[name] = ArmedFailure{result, used + (occurrence < 1 ? 1 : occurrence)};
}

long callCount(const std::string& name) {
    CallState& state = callState();
    std::lock_guard lock(state.mutex);
    const auto use = state.uses.find(name);
    return use == state.uses.end() ? 0 : use->second;
}

void reset() {
    CallState& state = callState();
    std::lock_guard lock(state.mutex);
    state.uses.clear();
    state.armed.clear();
    state.quirks = Quirks{};
    decodedFrameCount = 0;
    convertedFrameCount = 0;
    retainedPacketPeak = retainedPacketCount.load();
}

long liveObjects() { return liveObjectCount.load(); }
long decodedFrames() { return decodedFrameCount.load(); }
long rgbConversions() { return convertedFrameCount.load(); }
long retainedPackets() { return retainedPacketCount.load(); }
long liveStreamingThreads() { return streamingThreadCount.load(); }
long peakRetainedPackets() { return retainedPacketPeak.load(); }

void setQuirks(const Quirks& quirks) {
    CallState& state = callState();
    std::lock_guard lock(state.mutex);
    state.quirks = quirks;
}

void setDecoderThreads(int threads) { decoderThreadCount = threads < 0 ? 0 : threads; }
int decoderThreads() { return decoderThreadCount.load(); }

}  // namespace TestControl

}  // namespace MorvalePlatform
