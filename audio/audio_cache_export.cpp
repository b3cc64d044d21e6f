// DeleteAudioCache: drops one file's audio record, or every one for "".
// True when a record was removed (always for ""); every failure is 6.
#include "audio/audio_cache.h"
#include "bridge/call_frame.h"
#include "bridge/export.h"

using namespace TravexUtils;

MORVALE_EXPORT int DeleteAudioCache(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [](MArgumentManager& manager) {
            const std::string path = manager.getString(0);
            if (path.empty()) {
                AudioCache::clear();
                manager.setBoolean(true);
            } else {
                manager.setBoolean(AudioCache::remove(path) > 0);
            }
        },
        NoCleanup{}, FailurePolicy::AlwaysFunctionError);
}
