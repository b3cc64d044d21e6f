// The Media Foundation video reading exports: frame-by-frame reading through
// the global reader, and random access, frame counts and durations through
// the per-file cache.
#include <optional>
#include <string>

#include "bridge/call_frame.h"
#include "bridge/error_manager.h"
#include "bridge/export.h"
#include "bridge/image.h"
#include "bridge/tensor.h"
#include "video/read/frame_numbers.h"
#include "video/read/global_readers.h"
#include "video/read/host_image_size.h"
#include "video/read/source_reader_scope.h"
#include "video/read/video_info_cache.h"

using namespace TravexUtils;

namespace {

// Closes and removes the global reader; used on every failure of the
// frame-by-frame calls and by Finalize.
bool closeGlobalMFReader() {
    auto& reader = globalMFReader();
    if (!reader) {
        return false;
    }
    reader->releaseSourceReader();
    reader.reset();
    return true;
}

// A failed random-access call forgets what the cache learnt about the file,
// except after an invalid frame number, which says nothing about the file.
// Nothing to forget when the call failed before reading its path. The code
// is compared with a plain registry look-up that cannot throw, so the entry
// goes even if the name were ever missing.
struct EraseCacheEntry {
    const std::optional<std::string>& path;
    bool keepOnInvalidFrameIndex;

    void operator()(MArgumentManager&, int code) const {
        if (!path) {
            return;
        }
        const ErrorManager::ErrorMap& errors = ErrorManager::errors();
        const auto invalidFrameIndex = errors.find("MFInvalidFrameIndex");
        if (keepOnInvalidFrameIndex && invalidFrameIndex != errors.end() && code == invalidFrameIndex->second.id()) {
            return;
        }
        VideoInfoCache::erase(*path);
    }
};

// The path's cached reader with its frames counted; the file is closed again.
MFVideoReader& countedReader(MArgumentManager& manager, std::optional<std::string>& path) {
    path = manager.getString(0);
    MFVideoReader& reader = VideoInfoCache::getMFReader(*path);
    const SourceReaderScope scope(reader);
    reader.open();
    reader.countFrames();
    return reader;
}

}  // namespace

MORVALE_EXPORT int MFInitVideoReader(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [](MArgumentManager& manager) {
            const std::string path = manager.getString(0);
            auto& reader = globalMFReader();
            if (!reader) {
                reader = std::make_unique<MFVideoReader>(path);
                reader->open();
                reader->loadProperties();
            } else if (reader->info.path != path) {
                ErrorManager::throwException("ReaderInitializeError", "Reader is already initialized");
            }
            manager.setBoolean(true);
        },
        [](MArgumentManager&, int) { closeGlobalMFReader(); });
}

MORVALE_EXPORT int MFReadNextVideoFrame(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [](MArgumentManager& manager) {
            auto& reader = globalMFReader();
            if (!reader) {
                ErrorManager::throwException("ReadFrameError", "Reader is not initialized");
            }
            checkHostImageSize(1, reader->info.width, reader->info.height);
            Image<unsigned char> frame(0, reader->info.width, reader->info.height, 3, MImage_CS_RGB, true);
            FrameRequest request;
            request.insert(int64_t{reader->currentFrameIndex()} + 1, 0);
            reader->readFrames(request, true, frame.data(), 0, false);
            manager.setArrayResult(frame);
        },
        [](MArgumentManager&, int) { closeGlobalMFReader(); });
}

MORVALE_EXPORT int MFFinalizeVideoReader(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(libData, Argc, Args, Res,
                              [](MArgumentManager& manager) { manager.setBoolean(closeGlobalMFReader()); });
}

MORVALE_EXPORT int MFReadVideoData(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [&path](MArgumentManager& manager) {
            path = manager.getString(0);
            MFVideoReader& reader = VideoInfoCache::getMFReader(*path);
            const SourceReaderScope scope(reader);
            reader.open();
            reader.loadProperties();

            const Tensor<long long> numbers = manager.getTensor(1);
            PlannedRequest plan;
            if (numbers.rank() == 1 && numbers.flattenedLength() == 0) {
                if (reader.info.frameCount == 0) {
                    reader.countFrames();
                }
                if (reader.info.frameCount == 0) {
                    ErrorManager::throwException("MFPropertyGetError", "Can't get frame count");
                }
                plan = planAllFrames(reader.info.frameCount);
            } else {
                plan = planFromNumbers(numbers);
            }
            if (reader.info.frameCount != 0 && static_cast<uint32_t>(plan.lastIndex) >= reader.info.frameCount) {
                ErrorManager::throwException("MFInvalidFrameIndex", "Error getting the required frame");
            }

            checkHostImageSize(plan.sliceCount, reader.info.width, reader.info.height);
            Image<unsigned char> frames(plan.sliceCount, reader.info.width, reader.info.height, 3, MImage_CS_RGB,
                                        true);
            reader.readFrames(plan.request, false, frames.data(), plan.lastIndex, plan.storeCount);
            manager.setArrayResult(frames);
        },
        EraseCacheEntry{path, true});
}

MORVALE_EXPORT int MFReadVideoFrameCount(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [&path](MArgumentManager& manager) { manager.setInteger(countedReader(manager, path).info.frameCount); },
        EraseCacheEntry{path, false});
}

MORVALE_EXPORT int MFReadVideoFrameDurations(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, Argc, Args, Res,
        [&path](MArgumentManager& manager) {
            const auto& durations = countedReader(manager, path).info.frameDurations;
            Tensor<double> result(durations, {static_cast<mint>(durations.size())});
            manager.setArrayResult(result);
        },
        EraseCacheEntry{path, false});
}
