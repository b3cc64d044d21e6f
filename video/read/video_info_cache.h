// Per-file readers whose records survive between calls, so that a file's
// properties, frame count and frame durations are worked out once per reader
// kind. Keyed by the path exactly as the host passed it (byte order). The
// platform objects are opened and released by each call; only the records
// stay. Process-wide, used from the host's calling thread without locks.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <string>

#include "video/read/video_reader.h"

namespace TravexUtils {

struct VideoCacheEntry {
    // One slot per reader kind, empty until a function of that kind asks for
    // it; the slots share nothing but the entry's key and lifetime.
    std::array<std::unique_ptr<VideoReader>, kReaderKindCount> readers;
};

class VideoInfoCache {
public:
    VideoInfoCache() = delete;

    // The path's reader of that kind, created by create (which does not
    // touch the platform) on first use. The cache keeps ownership.
    static VideoReader& getReader(const std::string& path, ReaderKind kind, ReaderFactory create);
    template <typename Reader>
    static Reader& getReader(const std::string& path) {
        return static_cast<Reader&>(getReader(path, Reader::kind, &makeReader<Reader>));
    }

    // Removes the path's entry (every reader); returns how many were removed.
    static std::size_t erase(const std::string& path);
    static void clear();

    static std::size_t size();
    static bool contains(const std::string& path);

private:
    static std::map<std::string, VideoCacheEntry>& entries();
};

}  // namespace TravexUtils
