// DSReadVideoProperties: the facts of one video file as an association on
// the link, answered from the file's cached DirectShow reader.
#include <optional>
#include <string>

#include "bridge/call_frame.h"
#include "bridge/export.h"
#include "link/link_stream.h"
#include "video/read/reading_bodies.h"
#include "video/read/video_info_cache.h"

using namespace TravexUtils;

MORVALE_EXPORT int DSReadVideoProperties(KorvelLibraryData /*libData*/, SRLINK link) {
    std::optional<std::string> path;
    return runLinkFunction(
        [&] {
            LinkStream stream(link);
            readVideoProperties(stream, directShowReading(), path);
        },
        [&](int) {
            if (path) VideoInfoCache::erase(*path);
        });
}
