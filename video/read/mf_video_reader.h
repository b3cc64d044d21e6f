// Reads one video file through a Media Foundation source reader: the first
// video stream decoded to RGB32, its properties read once, its frames counted
// once, requested frames copied into caller buffers in the frame layout.
// Used one call at a time on the host's thread. Holds one reference on each
// of the source reader and the two media types; the destructor releases what
// is still held.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com_ptr.h"
#include "platform/media_foundation.h"
#include "video/read/frame_request.h"
#include "video/read/video_info.h"

namespace TravexUtils {

class MFVideoReader {
public:
    explicit MFVideoReader(std::string path) : info(std::move(path)) {}
    MFVideoReader(const MFVideoReader&) = delete;
    MFVideoReader& operator=(const MFVideoReader&) = delete;

    // Starts the platform, creates the source reader with RGB32 output.
    // May be called again after releaseSourceReader(); keeps what was learnt.
    void open();
    // Width, height, frame rate, duration, bit rate, encoding name and the
    // decoded size; runs once per reader.
    void loadProperties();
    // Frame count and durations by reading every sample once; runs once.
    void countFrames();
    // Sequential mode (nextFrame false): rewinds and decodes frames 0 to
    // lastIndex, copying each requested one into its slots. One-step mode:
    // reads the next sample only. destination holds width x height x 3 bytes
    // per slot.
    void readFrames(const FrameRequest& request, bool nextFrame, uint8_t* destination, int32_t lastIndex,
                    bool storeCount);
    void rewind();
    void releaseSourceReader() { sourceReader_.reset(); }

    bool hasSourceReader() const noexcept { return static_cast<bool>(sourceReader_); }
    int32_t currentFrameIndex() const noexcept { return currentFrameIndex_; }
    uint32_t decodedWidth() const noexcept { return decodedWidth_; }
    uint32_t decodedHeight() const noexcept { return decodedHeight_; }
    bool propertiesLoaded() const noexcept { return propertiesLoaded_; }
    bool countDone() const noexcept { return countDone_; }

    VideoInfo info;

private:
    // The next sample of the first video stream; returns the stream flags.
    DWORD readSample(MorvalePlatform::ComPtr<IMFSample>& sample);
    void readDecodedSize();
    void copySample(IMFSample* sample, const FrameRequest::Slots& slots, uint8_t* destination);

    MorvalePlatform::ComPtr<IMFMediaType> currentType_;
    MorvalePlatform::ComPtr<IMFMediaType> compressedType_;
    MorvalePlatform::ComPtr<IMFSourceReader> sourceReader_;
    int32_t currentFrameIndex_ = -1;
    uint32_t decodedWidth_ = 0;  // x 4 is the row stride of every locked sample buffer
    uint32_t decodedHeight_ = 0;
    bool propertiesLoaded_ = false;
    bool countDone_ = false;
    bool probing_ = false;
};

}  // namespace TravexUtils
