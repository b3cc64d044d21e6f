// The Media Foundation video reading exports: frame-by-frame reading through
// the global reader, and random access, frame counts and durations through
// the per-file cache. Each runs the shared body with the Media Foundation
// row.
#include <optional>
#include <string>

#include "bridge/call_frame.h"
#include "bridge/export.h"
#include "video/read/reading_bodies.h"

using namespace TravexUtils;

MORVALE_EXPORT int MFInitVideoReader(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [](MArgumentManager& manager) { initVideoReader(manager, mediaFoundationReading()); },
        [](MArgumentManager&, int) { closeGlobalReader(mediaFoundationReading()); });
}

MORVALE_EXPORT int MFReadNextVideoFrame(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [](MArgumentManager& manager) { readNextVideoFrame(manager, mediaFoundationReading()); },
        [](MArgumentManager&, int) { closeGlobalReader(mediaFoundationReading()); });
}

MORVALE_EXPORT int MFFinalizeVideoReader(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(libData, Argc, Args, Res, [](MArgumentManager& manager) {
        manager.setBoolean(closeGlobalReader(mediaFoundationReading()));
    });
}

MORVALE_EXPORT int MFReadVideoData(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [&path](MArgumentManager& manager) { readVideoData(manager, mediaFoundationReading(), path); },
        EraseCacheEntry{path, mediaFoundationReading(), true});
}

MORVALE_EXPORT int MFReadVideoFrameCount(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [&path](MArgumentManager& manager) { readVideoFrameCount(manager, mediaFoundationReading(), path); },
        EraseCacheEntry{path, mediaFoundationReading(), false});
}

MORVALE_EXPORT int MFReadVideoFrameDurations(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [&path](MArgumentManager& manager) { readVideoFrameDurations(manager, mediaFoundationReading(), path); },
        EraseCacheEntry{path, mediaFoundationReading(), false});
}
