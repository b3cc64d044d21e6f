// The Media Foundation reading path as a host drives it on one file, through
// the stand-in host's table and host links, in one of a few call sequences:
// each opens the file once to three times, where the whole path would open
// it seven times (every export opens and probes the file again), so that
// an input is cheap and every sequence still runs often over a campaign.
// Every sequence ends by dropping the file's cache entry. The work per file
// is bounded so that a file claiming a huge picture or many frames cannot
// run for seconds.
//
// Every call is checked as it returns (session_checks.h) and its result
// must have the shape asked for. Afterwards the process must hold nothing
// of the file (ProcessHealth).
#pragma once

#include <cstdint>
#include <string>

#include "tests/fuzz/registered_codes.h"
#include "tests/fuzz/session_checks.h"

namespace morvale_fuzz {

// The exports of one reader kind, and the prefix of their names.
struct ReadingExports {
    const char* prefix;  // "MF" or "DS"
    int (*properties)(KorvelLibraryData, SRLINK);
    morvale_test::SlotFunction frameCount;
    morvale_test::SlotFunction frameDurations;
    morvale_test::SlotFunction videoData;
    morvale_test::SlotFunction initReader;
    morvale_test::SlotFunction nextFrame;
    morvale_test::SlotFunction finalizeReader;
};

const ReadingExports& mediaFoundationExports();
const ReadingExports& directShowExports();

struct ReadLimits {
    // Pictures of more pixels are not read at all; only the file's facts are
    // asked for.
    uint64_t maxFramePixels = uint64_t{1} << 20;
    // The last frame is read when the file has at most this many frames
    // (reading it decodes every frame before it).
    uint32_t maxFramesToLast = 64;
    // Every frame is read in one call when the file has at most this many.
    uint32_t maxFramesForAll = 8;
    // Frame-by-frame reads before the reader is finalised.
    int maxNextFrames = 4;
};

enum class VideoSequence : unsigned {
    Properties,    // the properties
    FrameFacts,    // frame count, then the frame durations
    FirstFrame,    // properties, frame 1
    LastFrame,     // properties, count, the last frame
    AllFrames,     // properties, count, every frame in one call
    FrameByFrame,  // properties, init, next frames, finalize
};
inline constexpr unsigned kVideoSequences = 6;

// The library must be initialised with the stand-in host's table, with no
// global frame-by-frame reader open. Frames are read only when the
// properties gave a size within the limits.
SessionReport readVideoFile(const std::string& path, const RegisteredCodes& codes, VideoSequence sequence,
                            const ReadLimits& limits = {}, const ReadingExports& exports = mediaFoundationExports());

}  // namespace morvale_fuzz
