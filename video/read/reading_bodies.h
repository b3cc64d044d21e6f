// The bodies of the video reading exports, one per function and shared by
// both reader kinds; an export runs one of them in its call frame with its
// kind's row. Frame-by-frame reading goes through the kind's global reader,
// everything else through the kind's slot of the video cache.
#pragma once

#include <optional>
#include <string>

#include "bridge/margument_manager.h"
#include "link/link_stream.h"
#include "video/read/reading_kind.h"

namespace TravexUtils {

// Closes and removes the kind's global reader: Finalize, and every failure
// of Init and ReadNext. False when there was none.
bool closeGlobalReader(const ReadingKind& kind);

// Installs the kind's global reader for the path argument, opened and with
// its properties loaded; nothing when one is installed for that path
// already, "ReaderInitializeError" when for another.
void initVideoReader(MArgumentManager& manager, const ReadingKind& kind);
// The global reader's next frame as a two-dimensional image.
void readNextVideoFrame(MArgumentManager& manager, const ReadingKind& kind);

// The cache-backed bodies set path as soon as they have read it, for the
// failure clean-up (EraseCacheEntry).
//
// Frames by 1-based number (every frame for an empty list) as a
// three-dimensional image, one slice per number.
void readVideoData(MArgumentManager& manager, const ReadingKind& kind, std::optional<std::string>& path);
void readVideoFrameCount(MArgumentManager& manager, const ReadingKind& kind, std::optional<std::string>& path);
void readVideoFrameDurations(MArgumentManager& manager, const ReadingKind& kind, std::optional<std::string>& path);
void readVideoFrameRate(MArgumentManager& manager, const ReadingKind& kind, std::optional<std::string>& path);

// The file's facts as an association on the link.
void readVideoProperties(LinkStream& stream, const ReadingKind& kind, std::optional<std::string>& path);

// A failed cache-backed call forgets what the cache learnt about the file,
// except, when asked, after the kind's invalid frame number error, which
// says nothing about the file. Nothing to forget when the call failed
// before reading its path.
struct EraseCacheEntry {
    const std::optional<std::string>& path;
    const ReadingKind& kind;
    bool keepOnInvalidFrameIndex;

    void operator()(MArgumentManager& manager, int code) const;
};

}  // namespace TravexUtils
