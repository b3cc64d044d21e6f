// The exported error functions. Messages are copies owned by the caller until
// SRReleaseErrorMessage, and stay valid after their link closes. None of
// these calls can be made to fail.
#include "host/sr64i4/api_call.h"
#include "link/sr64i4.h"

using sr::State;

extern "C" {

SR_API int SRError(SRLINK link) {
    State& state = State::get();
    auto guard = state.lock();
    state.enter("SRError");
    SRLinkRecord* record = state.find(link);
    if (record == nullptr) {
        ++state.misuse.invalidHandles;
        return SR_ERR_INVALID_LINK;
    }
    return record->errorCode;
}

SR_API const char* SRErrorMessage(SRLINK link) {
    State& state = State::get();
    auto guard = state.lock();
    state.enter("SRErrorMessage");
    SRLinkRecord* record = state.find(link);
    if (record == nullptr) {
        ++state.misuse.invalidHandles;
        return state.newMessage("not an open link");
    }
    return state.newMessage(record->errorCode == SR_ERR_NONE ? "no error" : record->errorMessage);
}

SR_API void SRReleaseErrorMessage(SRLINK, const char* message) {
    State& state = State::get();
    auto guard = state.lock();
    state.enter("SRReleaseErrorMessage");
    if (!state.releaseMessage(message)) ++state.misuse.badReleases;
}

SR_API int SRClearError(SRLINK link) {
    State& state = State::get();
    auto guard = state.lock();
    state.enter("SRClearError");
    SRLinkRecord* record = state.find(link);
    if (record == nullptr) {
        ++state.misuse.invalidHandles;
        return 0;
    }
    record->setError(SR_ERR_NONE, {});
    return 1;
}

}  // extern "C"
