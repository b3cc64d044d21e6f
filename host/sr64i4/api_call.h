// The frame every exported SR function runs in: take the process-wide lock,
// count the call, resolve the handle, apply an injected failure, and turn a
// Failure thrown by the body into the link's error and status 0, so that a
// failing operation reaches the caller only as a status.
#pragma once

#include <exception>
#include <string>
#include <type_traits>
#include <utility>

#include "host/sr64i4/state.h"

namespace sr {

// Thrown by operation bodies; becomes the link's error code and message.
struct Failure {
    int code;
    std::string message;
};

[[noreturn]] inline void fail(int code, std::string message) { throw Failure{code, std::move(message)}; }

// body(SRLinkRecord&) returns a non-zero status (or a non-null handle) or
// throws Failure, in which case it must not have changed the link. Failure
// yields 0 (or null).
template <class Body>
auto onLink(const char* function, SRLINK handle, Body&& body) -> std::invoke_result_t<Body, SRLinkRecord&> {
    using Result = std::invoke_result_t<Body, SRLinkRecord&>;
    State& state = State::get();
    auto guard = state.lock();
    auto injected = state.enter(function);
    SRLinkRecord* link = state.find(handle);
    if (link == nullptr) {
        ++state.misuse.invalidHandles;
        return Result{};
    }
    if (injected) {
        link->setError(injected->code, std::move(injected->message));
        return Result{};
    }
    try {
        return std::forward<Body>(body)(*link);
    } catch (Failure& f) {
        link->setError(f.code, std::string(function) + ": " + f.message);
    } catch (const std::exception& e) {
        link->setError(SR_ERR_ARGUMENT, std::string(function) + ": " + e.what());
    }
    return Result{};
}

// For release functions, which report nothing: body(SRLinkRecord&) returns
// the loan's release result; anything but Ok counts as a bad release and
// sets the link's error.
template <class Body>
void releaseOnLink(const char* function, SRLINK handle, Body&& body) {
    State& state = State::get();
    auto guard = state.lock();
    state.enter(function);  // release functions cannot be made to fail
    SRLinkRecord* link = state.find(handle);
    if (link == nullptr) {
        ++state.misuse.invalidHandles;
        return;
    }
    const Loans::Release result = std::forward<Body>(body)(*link);
    if (result == Loans::Release::Ok) return;
    ++state.misuse.badReleases;
    link->setError(SR_ERR_RELEASE, std::string(function) + (result == Loans::Release::Unknown
                                                                 ? ": pointer was not handed out by this link"
                                                                 : ": length differs from the one handed out"));
}

}  // namespace sr
