// What the reading export bodies need to know of one reader kind: how its
// readers are made, and the few ways its exports differ from the other
// kind's (error names, when properties are loaded, which facts are sent).
// One constant row per kind.
#pragma once

#include "video/read/video_reader.h"

namespace TravexUtils {

struct ReadingKind {
    ReaderKind kind;
    ReaderFactory create;
    // Read video data: the error of a frame number beyond the known count,
    // and the error and debug text of a file whose frames cannot be counted.
    const char* invalidFrameIndexError;
    const char* frameCountError;
    const char* frameCountDebugText;
    // Read video data loads the properties before reading the frame numbers
    // (else just before the frames are read).
    bool propertiesBeforeRequest;
    // The property function checks and sends the frame rate.
    bool propertiesIncludeFrameRate;
};

const ReadingKind& mediaFoundationReading();
const ReadingKind& directShowReading();

}  // namespace TravexUtils
