// DeleteVideoCache: drops one file's cached readers, or all of them for "".
#include "bridge/call_frame.h"
#include "bridge/export.h"
#include "video/read/video_info_cache.h"

using namespace TravexUtils;

MORVALE_EXPORT int DeleteVideoCache(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [](MArgumentManager& manager) {
            const std::string path = manager.getString(0);
            if (path.empty()) {
                VideoInfoCache::clear();
                manager.setBoolean(true);
            } else {
                manager.setBoolean(VideoInfoCache::erase(path) > 0);
            }
        },
        NoCleanup{}, FailurePolicy::AlwaysFunctionError);
}
