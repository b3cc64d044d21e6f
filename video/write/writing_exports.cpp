// The video writing exports. MFInitVideoWriter and MFWriteNextVideoFrame
// answer False when they fail (with the error's code); the global writer
// stays as it is after a failure, to be initialised again or finalized.
#include "bridge/call_frame.h"
#include "bridge/export.h"
#include "video/write/writing_bodies.h"

using namespace TravexUtils;

namespace {

void answerFalse(MArgumentManager& manager, int) { manager.setBoolean(false); }

}  // namespace

MORVALE_EXPORT int MFInitVideoWriter(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(libData, Argc, Args, Res, initVideoWriter, answerFalse);
}

MORVALE_EXPORT int MFWriteNextVideoFrame(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(libData, Argc, Args, Res, writeNextVideoFrame, answerFalse);
}

MORVALE_EXPORT int MFFinalizeVideoWriter(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(libData, Argc, Args, Res, finalizeVideoWriter);
}

MORVALE_EXPORT int MFWriteVideo(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(libData, Argc, Args, Res, writeVideo);
}
