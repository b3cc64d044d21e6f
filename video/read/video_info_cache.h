// Per-file readers whose records survive between calls, so that a file's
// properties, frame count and frame durations are worked out once per reader
// kind. Keyed by the path exactly as the host passed it (byte order). The
// platform objects are opened and released by each call; only the records
// stay. Process-wide, used from the host's calling thread without locks.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>

#include "video/read/ds_video_reader.h"
#include "video/read/mf_video_reader.h"

namespace TravexUtils {

struct VideoCacheEntry {
    std::unique_ptr<MFVideoReader> mfReader;  // empty until an MF function asks for it
    std::unique_ptr<DSVideoReader> dsReader;  // empty until a DS function asks for it
};

class VideoInfoCache {
public:
    VideoInfoCache() = delete;

    // The path's reader of that kind, created (without touching the
    // platform) on first use. The cache keeps ownership.
    static MFVideoReader& getMFReader(const std::string& path);
    static DSVideoReader& getDSReader(const std::string& path);

    // Removes the path's entry (both readers); returns how many were removed.
    static std::size_t erase(const std::string& path);
    static void clear();

    static std::size_t size();
    static bool contains(const std::string& path);

private:
    static std::map<std::string, VideoCacheEntry>& entries();
};

}  // namespace TravexUtils
