#include "video/read/reading_bodies.h"

#include "bridge/error_manager.h"
#include "bridge/image.h"
#include "bridge/tensor.h"
#include "video/read/frame_numbers.h"
#include "video/read/global_readers.h"
#include "video/read/host_image_size.h"
#include "video/read/video_info_cache.h"

namespace TravexUtils {

namespace {

VideoReader& cachedReader(const ReadingKind& kind, const std::string& path) {
    return VideoInfoCache::getReader(path, kind.kind, kind.create);
}

// The path's cached reader with its frames counted; its platform objects
// are released again.
VideoReader& countedReader(MArgumentManager& manager, const ReadingKind& kind, std::optional<std::string>& path) {
    path = manager.getString(0);
    VideoReader& reader = cachedReader(kind, *path);
    const PlatformObjectsScope scope(reader);
    reader.open();
    reader.countFrames();
    return reader;
}

// Which frames an export asks for, and into how many slices: the numbers
// given, or every frame (counted first when the count is not known yet).
PlannedRequest planRequest(const Tensor<long long>& numbers, VideoReader& reader, const ReadingKind& kind) {
    if (numbers.rank() != 1 || numbers.flattenedLength() != 0) {
        return planFromNumbers(numbers);
    }
    if (reader.info.frameCount == 0) {
        reader.countFrames();
    }
    if (reader.info.frameCount == 0) {
        ErrorManager::throwException(kind.frameCountError, kind.frameCountDebugText);
    }
    return planAllFrames(reader.info.frameCount);
}

}  // namespace

bool closeGlobalReader(const ReadingKind& kind) {
    std::unique_ptr<VideoReader>& reader = globalReader(kind.kind);
    if (!reader) {
        return false;
    }
    reader->releasePlatformObjects();
    reader.reset();
    return true;
}

void initVideoReader(MArgumentManager& manager, const ReadingKind& kind) {
    const std::string path = manager.getString(0);
    std::unique_ptr<VideoReader>& reader = globalReader(kind.kind);
    if (!reader) {
        reader = kind.create(path);
        reader->open();
        reader->loadProperties();
    } else if (reader->info.path != path) {
        ErrorManager::throwException("ReaderInitializeError", "Reader is already initialized");
    }
    manager.setBoolean(true);
}

void readNextVideoFrame(MArgumentManager& manager, const ReadingKind& kind) {
    const std::unique_ptr<VideoReader>& reader = globalReader(kind.kind);
    if (!reader) {
        ErrorManager::throwException("ReadFrameError", "Reader is not initialized");
    }
    checkHostImageSize(1, reader->info.width, reader->info.height);
    Image<unsigned char> frame(0, reader->info.width, reader->info.height, 3, MImage_CS_RGB, true);
    reader->readNextFrame(frame.data());
    manager.setArrayResult(frame);
}

void readVideoData(MArgumentManager& manager, const ReadingKind& kind, std::optional<std::string>& path) {
    path = manager.getString(0);
    VideoReader& reader = cachedReader(kind, *path);
    const PlatformObjectsScope scope(reader);
    reader.open();
    if (kind.propertiesBeforeRequest) {
        reader.loadProperties();
    }

    const Tensor<long long> numbers = manager.getTensor(1);
    const PlannedRequest plan = planRequest(numbers, reader, kind);
    if (reader.info.frameCount != 0 && static_cast<uint32_t>(plan.lastIndex) >= reader.info.frameCount) {
        ErrorManager::throwException(kind.invalidFrameIndexError, "Error getting the required frame");
    }
    reader.loadProperties();

    checkHostImageSize(plan.sliceCount, reader.info.width, reader.info.height);
    Image<unsigned char> frames(plan.sliceCount, reader.info.width, reader.info.height, 3, MImage_CS_RGB, true);
    reader.readFrames(plan, frames.data());
    manager.setArrayResult(frames);
}

void readVideoFrameCount(MArgumentManager& manager, const ReadingKind& kind, std::optional<std::string>& path) {
    manager.setInteger(countedReader(manager, kind, path).info.frameCount);
}

void readVideoFrameDurations(MArgumentManager& manager, const ReadingKind& kind, std::optional<std::string>& path) {
    const std::vector<double>& durations = countedReader(manager, kind, path).info.frameDurations;
    Tensor<double> result(durations, {static_cast<mint>(durations.size())});
    manager.setArrayResult(result);
}

void readVideoFrameRate(MArgumentManager& manager, const ReadingKind& kind, std::optional<std::string>& path) {
    manager.setReal(countedReader(manager, kind, path).info.frameRate);
}

void EraseCacheEntry::operator()(MArgumentManager&, int code) const {
    if (!path) {
        return;
    }
    // A plain registry look-up that cannot throw: this runs as a clean-up,
    // and the entry goes even if the name were ever missing.
    const ErrorManager::ErrorMap& errors = ErrorManager::errors();
    const auto invalidFrameIndex = errors.find(std::string(kind.invalidFrameIndexError));
    if (keepOnInvalidFrameIndex && invalidFrameIndex != errors.end() && code == invalidFrameIndex->second.id()) {
        return;
    }
    VideoInfoCache::erase(*path);
}

}  // namespace TravexUtils
