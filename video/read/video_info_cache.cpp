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

VideoReader& VideoInfoCache::getReader(const std::string& path, ReaderKind kind, ReaderFactory create) {
    std::unique_ptr<VideoReader>& slot = entries()[path].readers[static_cast<std::size_t>(kind)];
    if (!slot) {
        slot = create(path);
    }
    return *slot;
}

std::size_t VideoInfoCache::erase(const std::string& path) { return entries().erase(path); }

void VideoInfoCache::clear() { entries().clear(); }

std::size_t VideoInfoCache::size() { return entries().size(); }

bool VideoInfoCache::contains(const std::string& path) { return entries().count(path) != 0; }

}  // namespace TravexUtils
