#include "audio/audio_cache.h"

#include <map>
#include <memory>

namespace TravexUtils {
namespace {

std::map<std::string, std::unique_ptr<AudioRecord>>& entries() {
    static std::map<std::string, std::unique_ptr<AudioRecord>> cache;
    return cache;
}

}  // namespace

AudioRecord& AudioCache::getOrCreate(const std::string& path) {
    std::unique_ptr<AudioRecord>& record = entries()[path];
    if (!record) record = std::make_unique<AudioRecord>(path);
    return *record;
}

std::size_t AudioCache::remove(const std::string& path) { return entries().erase(path); }

void AudioCache::clear() { entries().clear(); }

bool AudioCache::contains(const std::string& path) { return entries().count(path) != 0; }

std::size_t AudioCache::size() { return entries().size(); }

}  // namespace TravexUtils
