// The DirectShow row of the reading exports. Its reader builds its graph
// when an operation needs it, so read video data loads the properties only
// once the frame numbers are read.
#include "video/read/ds_video_reader.h"
#include "video/read/reading_kind.h"

namespace TravexUtils {

const ReadingKind& directShowReading() {
    static const ReadingKind row{
        .kind = DSVideoReader::kind,
        .create = &makeReader<DSVideoReader>,
        .invalidFrameIndexError = "DSInvalidFrameIndex",
        .frameCountError = "DSPropertyGetError",
        .frameCountDebugText = "Can not get frame count",
        .propertiesBeforeRequest = false,
        .propertiesIncludeFrameRate = false,
    };
    return row;
}

}  // namespace TravexUtils
