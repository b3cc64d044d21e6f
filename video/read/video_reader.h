// VideoReader: what the reading exports, the video cache and the global
// frame-by-frame readers need of a reader of one video file, whichever
// platform facility decodes it. A reader holds its file's VideoInfo record
// for its whole life and its platform objects (source reader, filter graph)
// only between open() and releasePlatformObjects(). Used one call at a time
// on the host's thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "video/read/frame_request.h"
#include "video/read/video_info.h"

namespace TravexUtils {

// The platform facility a reader decodes with; a video cache entry has one
// slot per kind.
enum class ReaderKind { MediaFoundation, DirectShow };
inline constexpr std::size_t kReaderKindCount = 2;

class VideoReader {
public:
    virtual ~VideoReader() = default;
    VideoReader(const VideoReader&) = delete;
    VideoReader& operator=(const VideoReader&) = delete;

    // Makes the platform objects ready for the operations below; may be
    // called again after releasePlatformObjects(), keeping what was learnt.
    // A reader that builds its objects when an operation needs them may do
    // nothing here.
    virtual void open() = 0;
    // Width, height, frame rate, bit rate, duration and encoding name; once
    // per reader.
    virtual void loadProperties() = 0;
    // Frame count and frame durations (after the properties); once per
    // reader.
    virtual void countFrames() = 0;
    // Decodes from the first frame up to plan.lastIndex, copying each
    // requested frame into its slots of destination (FrameLayout); records
    // the frame count when plan.storeCount asks for it. A requested frame
    // beyond the end raises the reader's invalid-frame-index error.
    virtual void readFrames(const PlannedRequest& plan, uint8_t* destination) = 0;
    // The frame after the last one read into destination (one frame); the
    // reader's end-of-file error after the last frame.
    virtual void readNextFrame(uint8_t* destination) = 0;
    // Releases the platform objects; the record and what the reader learnt
    // stay.
    virtual void releasePlatformObjects() noexcept = 0;

    VideoInfo info;

protected:
    explicit VideoReader(std::string path) : info(std::move(path)) {}
};

// Creates a reader of one kind for a path, without touching the platform.
using ReaderFactory = std::unique_ptr<VideoReader> (*)(const std::string& path);

template <typename Reader>
std::unique_ptr<VideoReader> makeReader(const std::string& path) {
    return std::make_unique<Reader>(path);
}

// Releases a reader's platform objects whichever way a call ends, by return
// or by throw, so a cached reader keeps what it learnt about its file but
// never the open file, its decoder threads or their memory. Construct it
// before open().
class PlatformObjectsScope {
public:
    explicit PlatformObjectsScope(VideoReader& reader) noexcept : reader_(reader) {}
    ~PlatformObjectsScope() { reader_.releasePlatformObjects(); }
    PlatformObjectsScope(const PlatformObjectsScope&) = delete;
    PlatformObjectsScope& operator=(const PlatformObjectsScope&) = delete;

private:
    VideoReader& reader_;
};

}  // namespace TravexUtils
