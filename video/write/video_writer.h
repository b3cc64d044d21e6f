// The video writer record: the settings of one output file and the sink
// writer that encodes into it. The global writer (frame by frame) lives
// from its initialisation to its finalisation; MFWriteVideo makes a local
// one for the length of its call. Used from the host's calling thread only.
// Owns one reference on the sink writer; destroying a writer releases it
// without finalizing (the file is left as far as it was written).
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "platform/com_ptr.h"
#include "platform/media_foundation.h"

namespace TravexUtils {

struct VideoWriter {
    uint32_t width = 0;           // columns
    uint32_t height = 0;          // rows
    double frameRate = 0;         // as the caller gave it; 0 selects per-frame durations
    double mediaFrameRate = 0;    // the rate the media types announce
    uint32_t frameCount = 0;      // frame by frame: frames written so far; whole video: frames to write
    uint32_t bitRate = 0;         // bits per second
    std::string path;             // UTF-8, as received
    std::string codecName;        // a name of the Media Foundation subtype name table
    MorvalePlatform::ComPtr<IMFSinkWriter> sinkWriter;
    const double* frameDurations = nullptr;  // seconds per frame, borrowed; per-frame-duration mode only
    uint64_t sampleTime = 0;      // time of the next sample, 100 ns
    uint64_t frameDuration = 0;   // 100 ns per frame; 0 in the per-frame-duration mode
    uint32_t streamIndex = 0;
    uint32_t bytesPerPixel = 0;   // 3 (RGB) or 4 (RGBA)
    double elapsedSeconds = 0;    // per-frame-duration mode: the durations written so far, summed

    explicit VideoWriter(std::string outputPath) : path(std::move(outputPath)) {}

    // Starts the platform, creates a sink writer for the path (the file is
    // made here, replacing one that exists), adds the video stream with its
    // output and RGB32 input types and begins writing. A sink writer held
    // from an earlier set-up is released first.
    void setUp();
    // Converts one frame and writes it as one sample at sampleTime, then
    // advances sampleTime by the frame's duration.
    void writeFrame(const uint8_t* pixels, uint32_t frameIndex);
    // Finalizes the sink writer (its result is not checked) and releases it.
    void finalize();
    // Timing, set-up, every frame, finalize. pixels holds frameCount frames;
    // durations (seconds, one per frame) only when frameRate is 0.
    void writeAll(const uint8_t* pixels, const double* durations);

    // The announced frame rate as numerator and denominator: the integer
    // part of mediaFrameRate over 1 at a fixed rate; in the per-frame-duration
    // mode the mean rate in thousandths, so that 29.97 is not announced as 29.
    std::pair<UINT32, UINT32> announcedFrameRate() const;

private:
    // The duration of frame frameIndex in 100 ns: frameDuration, or in the
    // per-frame-duration mode the frame's share of the running sum, rounded
    // so that rounding never accumulates over the frames.
    uint64_t durationOfFrame(uint32_t frameIndex);
    void setVideoFormat(IMFMediaType& type, const char* interlaceText, const char* sizeText, const char* rateText,
                        const char* aspectText) const;
};

}  // namespace TravexUtils
