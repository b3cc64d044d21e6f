// The implementation's side of test control (see test_control.h): every
// instrumented platform call asks callResult() first and returns a failure
// injected for it; decoders and converters report their work here; readers
// take a snapshot of the quirks when they are created. Process-wide,
// thread-safe. Until a test first uses the control, callResult() and
// currentQuirks() are one relaxed atomic load each: no lock, no lookup.
#pragma once

#include <string_view>

#include "platform/linux/test_control.h"
#include "platform/windows_base.h"

namespace MorvalePlatform::Hooks {

// Counts one use of the named call and returns the failure armed for this
// use, or S_OK. Calls made by the implementation itself (inside an
// InternalCalls scope on this thread) are neither counted nor failed.
HRESULT callResult(std::string_view name);

// While one lives on a thread, that thread's platform calls are internal:
// the implementation using its own objects must not consume or trigger the
// failures a test armed for the library's calls.
class InternalCalls {
public:
    InternalCalls() noexcept;
    ~InternalCalls();
    InternalCalls(const InternalCalls&) = delete;
    InternalCalls& operator=(const InternalCalls&) = delete;
};

void objectCreated() noexcept;
void objectDestroyed() noexcept;
void frameDecoded() noexcept;
void frameConverted() noexcept;
// A DirectShow streaming thread is about to start / has finished its work.
void streamingThreadStarted() noexcept;
void streamingThreadEnded() noexcept;
// Compressed packets a lazy video decoder holds on to: delta is +1 for each
// packet kept, -1 for each one let go.
void packetsRetained(long delta) noexcept;

TestControl::Quirks currentQuirks();

// The thread count for the next decoder's codec context (0: one per
// core); see TestControl::setDecoderThreads.
int decoderThreads() noexcept;

}  // namespace MorvalePlatform::Hooks

// Returns the injected failure of a call from the enclosing function.
#define MORVALE_INSTRUMENTED_CALL(name)                                               \
    do {                                                                              \
        if (const HRESULT injected_ = ::MorvalePlatform::Hooks::callResult(name);     \
            injected_ != S_OK)                                                        \
            return injected_;                                                         \
    } while (false)
