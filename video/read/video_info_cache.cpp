#include "video/read/video_info_cache.h"

#include "bridge/shutdown_hooks.h"

namespace TravexUtils {
namespace {

// Library uninitialisation empties the cache.
[[maybe_unused]] const bool kClearedAtShutdown = addShutdownHook([]() noexcept { VideoInfoCache::clear(); });

}  // namespace

std::map<std::string, VideoCacheEntry>& VideoInfoCache::entries() {
    static std::map<std::string, VideoCacheEntry> cache;
    return cache;
}

MFVideoReader& VideoInfoCache::getMFReader(const std::string& path) {
    VideoCacheEntry& entry = entries()[path];
    if (!entry.mfReader) {
        entry.mfReader = std::make_unique<MFVideoReader>(path);
    }
    return *entry.mfReader;
}

DSVideoReader& VideoInfoCache::getDSReader(const std::string& path) {
    VideoCacheEntry& entry = entries()[path];
    if (!entry.dsReader) {
        entry.dsReader = std::make_unique<DSVideoReader>(path);
    }
    return *entry.dsReader;
}

std::size_t VideoInfoCache::erase(const std::string& path) { return entries().erase(path); }

void VideoInfoCache::clear() { entries().clear(); }

std::size_t VideoInfoCache::size() { return entries().size(); }

bool VideoInfoCache::contains(const std::string& path) { return entries().count(path) != 0; }

}  // namespace TravexUtils
