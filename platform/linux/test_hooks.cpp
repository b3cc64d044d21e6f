// State behind test control: armed failures, call counts, object and frame
// counters and the quirks, and the exported control functions over them;
// see test_control.h and test_hooks.h.
#include "platform/linux/test_hooks.h"

#include "platform/linux/codec_availability.h"

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

// Set for good by the first use of the control in the process. Until then
// the hooks read this flag and nothing else, so a product process pays one
// relaxed load per instrumented call; the state it guards is under the
// mutex, so the load needs no ordering.
std::atomic<bool> controlInUse{false};

// Runs fn(state) under the lock, and counts calls from then on.
template <class Fn>
auto withControl(Fn fn) {
    CallState& state = callState();
    std::lock_guard lock(state.mutex);
    controlInUse.store(true, std::memory_order_relaxed);
    return fn(state);
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
    if (!controlInUse.load(std::memory_order_relaxed) || internalDepth > 0) return S_OK;
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
    if (!controlInUse.load(std::memory_order_relaxed)) return TestControl::Quirks{};
    CallState& state = callState();
    std::lock_guard lock(state.mutex);
    return state.quirks;
}

int decoderThreads() noexcept { return decoderThreadCount.load(std::memory_order_relaxed); }

}  // namespace Hooks

}  // namespace MorvalePlatform

using MorvalePlatform::CallState;

extern "C" {

void MorvalePlatformTest_failCall(const char* name, HRESULT result, int occurrence) {
    MorvalePlatform::withControl([&](CallState& state) {
        const auto use = state.uses.find(name);
        const long used = use == state.uses.end() ? 0 : use->second;
        state.armed[name] = MorvalePlatform::ArmedFailure{result, used + (occurrence < 1 ? 1 : occurrence)};
    });
}

long MorvalePlatformTest_callCount(const char* name) {
    return MorvalePlatform::withControl([&](CallState& state) {
        const auto use = state.uses.find(std::string_view(name));
        return use == state.uses.end() ? 0L : use->second;
    });
}

void MorvalePlatformTest_reset() {
    MorvalePlatform::withControl([](CallState& state) {
        state.uses.clear();
        state.armed.clear();
        state.quirks = MorvalePlatformTestQuirks{};
        MorvalePlatform::decodedFrameCount = 0;
        MorvalePlatform::convertedFrameCount = 0;
        MorvalePlatform::retainedPacketPeak = MorvalePlatform::retainedPacketCount.load();
    });
    MorvalePlatform::clearMissingCodecs();
}

long MorvalePlatformTest_liveObjects() { return MorvalePlatform::liveObjectCount.load(); }
long MorvalePlatformTest_decodedFrames() { return MorvalePlatform::decodedFrameCount.load(); }
long MorvalePlatformTest_rgbConversions() { return MorvalePlatform::convertedFrameCount.load(); }
long MorvalePlatformTest_retainedPackets() { return MorvalePlatform::retainedPacketCount.load(); }
long MorvalePlatformTest_peakRetainedPackets() { return MorvalePlatform::retainedPacketPeak.load(); }
long MorvalePlatformTest_liveStreamingThreads() { return MorvalePlatform::streamingThreadCount.load(); }

void MorvalePlatformTest_setDecoderThreads(int threads) {
    MorvalePlatform::decoderThreadCount = threads < 0 ? 0 : threads;
}
int MorvalePlatformTest_decoderThreads() { return MorvalePlatform::decoderThreadCount.load(); }

void MorvalePlatformTest_setQuirks(const MorvalePlatformTestQuirks* quirks) {
    const MorvalePlatformTestQuirks copy = quirks ? *quirks : MorvalePlatformTestQuirks{};
    MorvalePlatform::withControl([&](CallState& state) { state.quirks = copy; });
}

}  // extern "C"
