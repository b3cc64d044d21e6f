// MFReadVideoProperties: the facts of one video file as an association on
// the link, answered from the file's cached Media Foundation reader.
#include <optional>
#include <string>

#include "bridge/call_frame.h"
#include "bridge/error_manager.h"
#include "bridge/export.h"
#include "link/link_stream.h"
#include "link/property_association.h"
#include "video/read/source_reader_scope.h"
#include "video/read/video_info_cache.h"

using namespace TravexUtils;

MORVALE_EXPORT int MFReadVideoProperties(KorvelLibraryData /*libData*/, SRLINK link) {
    std::optional<std::string> path;
    return runLinkFunction(
        [&] {
            LinkStream stream(link);
            path = readPathArgument(stream);
            MFVideoReader& reader = VideoInfoCache::getMFReader(*path);
            const SourceReaderScope scope(reader);
            reader.open();
            reader.loadProperties();
            const VideoInfo& info = reader.info;
            if (info.duration == 0 || info.width == 0 || info.height == 0 || info.frameRate == 0) {
                ErrorManager::throwException("NumericalError", "Error reading video properties");
            }
            PropertyAssociation properties(stream);
            properties.putReal("Duration", info.duration)
                .putUnsigned("FrameWidth", info.width)
                .putUnsigned("FrameHeight", info.height)
                .putUnsigned("BitRate", info.bitRate)
                .putString("VideoEncoding", info.encodingName)
                .putReal("FrameRate", info.frameRate);
            properties.end();
        },
        [&](int) {
            if (path) VideoInfoCache::erase(*path);
        });
}
