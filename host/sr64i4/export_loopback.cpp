// The exported environment, loopback, transfer and close functions.
#include <cstddef>

#include "host/sr64i4/api_call.h"
#include "link/sr64i4.h"

using sr::onLink;
using sr::State;

namespace {

// The source link of a transfer, looked up under the lock the call holds.
SRLinkRecord& sourceLink(SRLINK handle) {
    State& state = State::get();
    SRLinkRecord* source = state.find(handle);
    if (source == nullptr) {
        ++state.misuse.invalidHandles;
        sr::fail(SR_ERR_ARGUMENT, "the source is not an open link");
    }
    return *source;
}

}  // namespace

extern "C" {

SR_API SRENV SRLinkEnvironment(SRLINK link) {
    return onLink("SRLinkEnvironment", link, [](SRLinkRecord& l) { return l.env; });
}

SR_API SRLINK SRLoopbackOpen(SRENV env, int* code) {
    State& state = State::get();
    auto guard = state.lock();
    auto injected = state.enter("SRLoopbackOpen");
    if (code == nullptr) return nullptr;
    if (injected) {
        *code = injected->code;
        return nullptr;
    }
    if (env != state.environment()) {
        *code = SR_ERR_ARGUMENT;
        return nullptr;
    }
    *code = 0;
    return state.open(SRLinkRecord::Kind::Loopback);
}

SR_API int SRTransferExpression(SRLINK destination, SRLINK source) {
    return onLink("SRTransferExpression", destination, [&](SRLinkRecord& dst) {
        SRLinkRecord& src = sourceLink(source);
        if (src.libraryReads().empty()) {
            // Running out is the normal end of a transfer loop: the source
            // reports it and the destination stays clean.
            src.setError(SR_ERR_EMPTY, "SRTransferExpression: nothing left to transfer");
            return 0;
        }
        dst.libraryWrites().put(src.libraryReads().take());
        return 1;
    });
}

SR_API int SRTransferToEndOfLoopbackLink(SRLINK destination, SRLINK source) {
    return onLink("SRTransferToEndOfLoopbackLink", destination, [&](SRLinkRecord& dst) {
        SRLinkRecord& src = sourceLink(source);
        if (src.kind != SRLinkRecord::Kind::Loopback)
            sr::fail(SR_ERR_NOT_LOOPBACK, "the source is not a loopback link");
        // Count first: with source == destination the moved expressions
        // reappear at the end and must not be moved again.
        for (std::size_t n = src.libraryReads().size(); n > 0; --n) dst.libraryWrites().put(src.libraryReads().take());
        return 1;
    });
}

SR_API void SRClose(SRLINK link) {
    State& state = State::get();
    auto guard = state.lock();
    state.enter("SRClose");
    SRLinkRecord* record = state.find(link);
    if (record == nullptr) {
        ++state.misuse.invalidHandles;
    } else if (record->kind == SRLinkRecord::Kind::Host) {
        ++state.misuse.hostLinkCloses;
        record->setError(SR_ERR_HOST_LINK, "SRClose: a host link belongs to the host and stays open");
    } else {
        state.close(link);
    }
}

}  // extern "C"
