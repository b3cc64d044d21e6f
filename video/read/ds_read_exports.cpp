// The DirectShow video reading exports: frame-by-frame reading through the
// global reader, and random access, frame counts, durations and the frame
// rate through the per-file cache. Each runs the shared body with the
// DirectShow row. A failed DSInitVideoReader closes the global reader, as
// MFInitVideoReader does, so a half-built graph never stays installed.
#include <optional>
#include <string>

#include "bridge/call_frame.h"
#include "bridge/export.h"
#include "video/read/reading_bodies.h"

using namespace TravexUtils;

MORVALE_EXPORT int DSInitVideoReader(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [](MArgumentManager& manager) { initVideoReader(manager, directShowReading()); },
        [](MArgumentManager&, int) { closeGlobalReader(directShowReading()); });
}

MORVALE_EXPORT int DSReadNextVideoFrame(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [](MArgumentManager& manager) { readNextVideoFrame(manager, directShowReading()); },
        [](MArgumentManager&, int) { closeGlobalReader(directShowReading()); });
}

MORVALE_EXPORT int DSFinalizeVideoReader(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(libData, Argc, Args, Res, [](MArgumentManager& manager) {
        manager.setBoolean(closeGlobalReader(directShowReading()));
    });
}

MORVALE_EXPORT int DSReadVideoData(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [&path](MArgumentManager& manager) { readVideoData(manager, directShowReading(), path); },
        EraseCacheEntry{path, directShowReading(), true});
}

MORVALE_EXPORT int DSReadVideoFrameCount(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [&path](MArgumentManager& manager) { readVideoFrameCount(manager, directShowReading(), path); },
        EraseCacheEntry{path, directShowReading(), false});
}

MORVALE_EXPORT int DSReadVideoFrameDurations(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [&path](MArgumentManager& manager) { readVideoFrameDurations(manager, directShowReading(), path); },
        EraseCacheEntry{path, directShowReading(), false});
}

MORVALE_EXPORT int DSReadVideoFrameRate(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [&path](MArgumentManager& manager) { readVideoFrameRate(manager, directShowReading(), path); },
        EraseCacheEntry{path, directShowReading(), false});
}
