// The Media Foundation row of the reading exports.
#include "video/read/mf_video_reader.h"
#include "video/read/reading_kind.h"

namespace TravexUtils {

const ReadingKind& mediaFoundationReading() {
    static const ReadingKind row{
        .kind = MFVideoReader::kind,
        .create = &makeReader<MFVideoReader>,
        .invalidFrameIndexError = "MFInvalidFrameIndex",
        .frameCountError = "MFPropertyGetError",
        .frameCountDebugText = "Can't get frame count",
        .propertiesBeforeRequest = true,
        .propertiesIncludeFrameRate = true,
    };
    return row;
}

}  // namespace TravexUtils
