// EventHandle: one Win32 event handle, closed with CloseHandle when it goes.
// Holds whatever CreateEventA returned (a null handle stands for no event;
// SetEvent, ResetEvent and waits on it fail harmlessly). Move-only.
#pragma once

#include <utility>

#include "platform/direct_show.h"

namespace MorvalePlatform {

class EventHandle {
public:
    EventHandle() noexcept = default;
    explicit EventHandle(HANDLE handle) noexcept : handle_(handle) {}
    ~EventHandle() { reset(); }
    EventHandle(EventHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    EventHandle& operator=(EventHandle&& other) noexcept {
        EventHandle moved(std::move(other));
        std::swap(handle_, moved.handle_);
        return *this;
    }
    EventHandle(const EventHandle&) = delete;
    EventHandle& operator=(const EventHandle&) = delete;

    HANDLE get() const noexcept { return handle_; }
    void reset() noexcept {
        if (HANDLE old = std::exchange(handle_, nullptr)) CloseHandle(old);
    }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace MorvalePlatform
