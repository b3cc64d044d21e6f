// The body of the video property functions (declared in reading_bodies.h).
#include "bridge/error_manager.h"
#include "link/property_association.h"
#include "video/read/reading_bodies.h"
#include "video/read/video_info_cache.h"

namespace TravexUtils {

void readVideoProperties(LinkStream& stream, const ReadingKind& kind, std::optional<std::string>& path) {
    path = readPathArgument(stream);
    VideoReader& reader = VideoInfoCache::getReader(*path, kind.kind, kind.create);
    const PlatformObjectsScope scope(reader);
    reader.open();
    reader.loadProperties();
    const VideoInfo& info = reader.info;
    if (info.duration == 0 || info.width == 0 || info.height == 0 ||
        (kind.propertiesIncludeFrameRate && info.frameRate == 0)) {
        ErrorManager::throwException("NumericalError", "Error reading video properties");
    }
    PropertyAssociation properties(stream);
    properties.putReal("Duration", info.duration)
        .putUnsigned("FrameWidth", info.width)
        .putUnsigned("FrameHeight", info.height)
        .putUnsigned("BitRate", info.bitRate)
        .putString("VideoEncoding", info.encodingName);
    if (kind.propertiesIncludeFrameRate) {
        properties.putReal("FrameRate", info.frameRate);
    }
    properties.end();
}

}  // namespace TravexUtils
