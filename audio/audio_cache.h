// The audio cache: one AudioRecord per file path for the life of the
// library, so that a file's streams and properties are worked out once and
// reused by later reads of the same path. Keyed by the path exactly as the
// host passed it (byte order, no normalisation). Removing an entry destroys
// its record, which releases whatever platform objects it holds.
// Process-wide, used from the host's calling thread without locks.
#pragma once

#include <cstddef>
#include <string>

#include "audio/audio_record.h"

namespace TravexUtils {

class AudioCache {
public:
    AudioCache() = delete;

    // The path's record, created (empty, nothing read) on first use. The
    // cache keeps ownership.
    static AudioRecord& getOrCreate(const std::string& path);
    // Entries removed: 0 or 1.
    static std::size_t remove(const std::string& path);
    static void clear();

    static bool contains(const std::string& path);
    static std::size_t size();
};

}  // namespace TravexUtils
