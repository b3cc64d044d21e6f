// Win32 events: CreateEventA, SetEvent, ResetEvent, WaitForSingleObject and
// CloseHandle. A handle is an entry of a process-wide table, so a closed or
// made-up handle is refused instead of followed; events with a name are
// shared by every handle created with that name while one of them is open.
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "platform/direct_show.h"
#include "platform/linux/test_hooks.h"

namespace {

struct Event {
    Event(bool manual, bool signalled) : manualReset(manual), set(signalled) {}

    std::mutex mutex;
    std::condition_variable changed;
    const bool manualReset;
    bool set;
};

struct Handle {
    std::shared_ptr<Event> event;
};

struct EventTable {
    std::mutex mutex;
    std::set<const Handle*> open;
    std::map<std::string, std::weak_ptr<Event>> named;
};

EventTable& table() {
    static EventTable events;
    return events;
}

std::shared_ptr<Event> eventOf(HANDLE handle) {
    EventTable& events = table();
    std::lock_guard lock(events.mutex);
    const auto found = events.open.find(static_cast<const Handle*>(handle));
    return found == events.open.end() ? nullptr : (*found)->event;
}

bool failed(const char* call) { return MorvalePlatform::Hooks::callResult(call) != S_OK; }

}  // namespace

extern "C" HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName) {
    if (failed("CreateEventA")) return nullptr;
    EventTable& events = table();
    std::lock_guard lock(events.mutex);
    std::shared_ptr<Event> event;
    if (lpName) {
        // An existing event keeps its own kind and state, as on Windows.
        event = events.named[lpName].lock();
    }
    if (!event) {
        event = std::make_shared<Event>(bManualReset != FALSE, bInitialState != FALSE);
        if (lpName) events.named[lpName] = event;
    }
    auto* handle = new Handle{std::move(event)};
    events.open.insert(handle);
    return handle;
}

extern "C" BOOL SetEvent(HANDLE hEvent) {
    if (failed("SetEvent")) return FALSE;
    const std::shared_ptr<Event> event = eventOf(hEvent);
    if (!event) return FALSE;
    {
        std::lock_guard lock(event->mutex);
        event->set = true;
    }
    event->changed.notify_all();
    return TRUE;
}

extern "C" BOOL ResetEvent(HANDLE hEvent) {
    if (failed("ResetEvent")) return FALSE;
    const std::shared_ptr<Event> event = eventOf(hEvent);
    if (!event) return FALSE;
    std::lock_guard lock(event->mutex);
    event->set = false;
    return TRUE;
}

extern "C" DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    if (failed("WaitForSingleObject")) return WAIT_FAILED;
    const std::shared_ptr<Event> event = eventOf(hHandle);
    if (!event) return WAIT_FAILED;
    std::unique_lock lock(event->mutex);
    const auto isSet = [&] { return event->set; };
    if (dwMilliseconds == INFINITE) {
        event->changed.wait(lock, isSet);
    } else if (!event->changed.wait_for(lock, std::chrono::milliseconds(dwMilliseconds), isSet)) {
        return WAIT_TIMEOUT;
    }
    if (!event->manualReset) event->set = false;
    return WAIT_OBJECT_0;
}

extern "C" BOOL CloseHandle(HANDLE hObject) {
    if (failed("CloseHandle")) return FALSE;
    EventTable& events = table();
    std::lock_guard lock(events.mutex);
    const auto found = events.open.find(static_cast<const Handle*>(hObject));
    if (found == events.open.end()) return FALSE;
    delete *found;  // a waiter still holds its own reference to the event
    events.open.erase(found);
    // A name no open handle refers to is free again.
    std::erase_if(events.named, [](const auto& entry) { return entry.second.expired(); });
    return TRUE;
}
