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
#include "video/read/video_reader.h"

namespace TravexUtils {

class MFVideoReader final : public VideoReader {
public:
    static constexpr ReaderKind kind = ReaderKind::MediaFoundation;

    explicit MFVideoReader(std::string path) : VideoReader(std::move(path)) {}

    // Starts the platform, creates the source reader with RGB32 output.
    // May be called again after releaseSourceReader(); keeps what was learnt.
    void open() override;
    // Width, height, frame rate, duration, bit rate, encoding name and the
    // decoded size; runs once per reader.
    void loadProperties() override;
    // Frame count and durations by reading every sample once; runs once.
    void countFrames() override;
    void readFrames(const PlannedRequest& plan, uint8_t* destination) override;
    void readNextFrame(uint8_t* destination) override;
    void releasePlatformObjects() noexcept override { releaseSourceReader(); }

    // Sequential mode (nextFrame false): rewinds and decodes frames 0 to
    // lastIndex, copying each requested one into its slots. One-step mode:
    // reads the next sample only. destination holds width x height x 3 bytes
    // per slot.
    void readFrames(const FrameRequest& request, bool nextFrame, uint8_t* destination, int32_t lastIndex,
                    bool storeCount);
    void rewind();
    void releaseSourceReader() noexcept { sourceReader_.reset(); }

    bool hasSourceReader() const noexcept { return static_cast<bool>(sourceReader_); }
    int32_t currentFrameIndex() const noexcept { return currentFrameIndex_; }
    uint32_t decodedWidth() const noexcept { return decodedWidth_; }
    uint32_t decodedHeight() const noexcept { return decodedHeight_; }
    bool propertiesLoaded() const noexcept { return propertiesLoaded_; }
    bool countDone() const noexcept { return countDone_; }

private:
    // What one read at the current frame index gave.
    enum class Step { Frame, NoSample, EndOfStream };

    // The steps of a scan. readStep reads the sample at the current frame
    // index (a missing first sample raises "Received sample is null");
    // takeSample records its duration when asked and copies it into the
    // slots that want it.
    Step readStep(MorvalePlatform::ComPtr<IMFSample>& sample, DWORD& flags);
    void takeSample(IMFSample& sample, const FrameRequest& request, uint8_t* destination, bool recordDuration);
    // Reads the first sample once to learn the decoded size, from the start
    // and back to it.
    void probeDecodedSize();
    // The next sample only; returns without writing when it is missing.
    void readOneStep(const FrameRequest& request, uint8_t* destination, bool storeCount);
    // From the start to lastIndex; leaves the current frame index at the
    // number of samples read.
    void readSequential(const FrameRequest& request, uint8_t* destination, int32_t lastIndex, bool storeCount);
    // Every sample from the start once, their durations recorded.
    void countSamples();

    // The next sample of the first video stream; returns the stream flags.
    DWORD readSample(MorvalePlatform::ComPtr<IMFSample>& sample);
    void appendDuration(IMFSample& sample);
    void readDecodedSizeIfChanged(DWORD flags);
    void readDecodedSize();
    void copySample(IMFSample& sample, const FrameRequest::Slots& slots, uint8_t* destination);

    MorvalePlatform::ComPtr<IMFMediaType> currentType_;
    MorvalePlatform::ComPtr<IMFMediaType> compressedType_;
    MorvalePlatform::ComPtr<IMFSourceReader> sourceReader_;
    int32_t currentFrameIndex_ = -1;
    uint32_t decodedWidth_ = 0;  // x 4 is the row stride of every locked sample buffer
    uint32_t decodedHeight_ = 0;
    bool propertiesLoaded_ = false;
    bool countDone_ = false;
};

}  // namespace TravexUtils
