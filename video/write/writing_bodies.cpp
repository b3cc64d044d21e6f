#include "video/write/writing_bodies.h"

#include <cmath>
#include <string>

#include "bridge/error_manager.h"
#include "bridge/image.h"
#include "bridge/tensor.h"
#include "video/write/global_writer.h"

namespace TravexUtils {

namespace {

constexpr double kHundredNanosecondsPerSecond = 1e7;
// The longest video the per-frame durations may add up to: its end must be
// a 64-bit count of 100 ns.
constexpr double kLongestVideoSeconds = 9e11;

// Channels 3 or 4, interleaved, RGB.
bool isInterleavedRgb(const Image<unsigned char>& image, mint& channels) {
    KorvelImageFunctions fns = LibDataHolder::imageFunctions();
    channels = fns->MImage_getChannels(image.handle());
    return (channels == 3 || channels == 4) && fns->MImage_interleavedQ(image.handle()) &&
           fns->MImage_getColorSpace(image.handle()) == MImage_CS_RGB;
}

// Per-frame-duration mode: one positive duration in seconds per frame, as a
// flat list. Sets the writer's mean rate.
void takeFrameDurations(const Tensor<double>& durations, VideoWriter& writer) {
    if (durations.rank() != 1 || durations.dimensions()[0] != static_cast<mint>(writer.frameCount)) {
        ErrorManager::throwException("TensorSizeError", "Frame duration and image size mismatch");
    }
    double total = 0;
    const double* values = durations.data();
    for (uint32_t i = 0; i < writer.frameCount; ++i) {
        if (!(values[i] > 0) || !std::isfinite(values[i])) {
            ErrorManager::throwException("FrameRateError", "Frame rate should be positive");
        }
        total += values[i];
    }
    if (!(total < kLongestVideoSeconds)) {
        ErrorManager::throwException("FrameRateError", "Frame durations add up to too long a video");
    }
    writer.mediaFrameRate = total > 0 ? writer.frameCount / total : 0;
}

}  // namespace

void initVideoWriter(MArgumentManager& manager) {
    const std::string path = manager.getString(0);
    std::unique_ptr<VideoWriter>& writer = globalVideoWriter();
    if (writer && writer->path != path) {
        ErrorManager::throwException("FunctionError", "Global writer is already initialized");
    }
    if (!writer) {
        writer = std::make_unique<VideoWriter>(path);
    }

    const mint width = manager.getInteger(1);
    const mint height = manager.getInteger(2);
    if (width < 1 || width > kMaxWriterWidth || height < 1 || height > kMaxWriterHeight) {
        ErrorManager::throwException("DimensionsError", "Invalid frame dimensions");
    }
    const mint bitRate = manager.getInteger(3);
    if (bitRate < 1 || bitRate > kMaxBitRate) {
        ErrorManager::throwException("NumericalError", "Invalid bit rate value");
    }
    const mint frameRate = manager.getInteger(4);
    if (frameRate < 1 || frameRate > kMaxFrameRate) {
        ErrorManager::throwException("NumericalError", "Invalid input bit rate");
    }
    const std::string codec = manager.getString(5);
    if (codec != "H264") {
        ErrorManager::throwException("FunctionError", "Invalid codec");
    }

    writer->frameRate = writer->mediaFrameRate = static_cast<double>(frameRate);
    writer->width = static_cast<uint32_t>(width);
    writer->height = static_cast<uint32_t>(height);
    writer->bitRate = static_cast<uint32_t>(bitRate);
    writer->codecName = codec;
    writer->frameDuration = static_cast<uint64_t>(kHundredNanosecondsPerSecond / writer->frameRate);
    writer->setUp();
    manager.setBoolean(true);
}

void writeNextVideoFrame(MArgumentManager& manager) {
    const std::unique_ptr<VideoWriter>& writer = globalVideoWriter();
    if (!writer) {
        ErrorManager::throwException("FunctionError", "Global writer is not initialized");
    }
    const Image<unsigned char> frame = manager.getImage(0);
    if (frame.rank() != 3) {
        ErrorManager::throwException("RankError", "Input image should be of rank 3");
    }
    const std::vector<mint>& dims = frame.dimensions();
    if (static_cast<uint32_t>(dims[0]) != writer->height || static_cast<uint32_t>(dims[1]) != writer->width) {
        ErrorManager::throwException("DimensionsError");
    }
    mint channels = 0;
    if (!isInterleavedRgb(frame, channels)) {
        ErrorManager::throwException("DimensionsError", "Image should be interleaved and of dimenstions 3 or 4");
    }
    writer->bytesPerPixel = static_cast<uint32_t>(channels);
    writer->writeFrame(frame.data(), writer->frameCount);
    ++writer->frameCount;
    manager.setBoolean(true);
}

void finalizeVideoWriter(MArgumentManager& manager) {
    std::unique_ptr<VideoWriter>& writer = globalVideoWriter();
    if (!writer) {
        manager.setBoolean(false);
        return;
    }
    writer->finalize();  // a writer without a sink writer fails here and stays
    writer.reset();
    manager.setBoolean(true);
}

void writeVideo(MArgumentManager& manager) {
    const std::string path = manager.getString(0);
    const Image<unsigned char> video = manager.getImage(1);
    if (video.rank() != 4) {
        ErrorManager::throwException("RankError", "Input video should be of rank 4");
    }
    const std::vector<mint>& dims = video.dimensions();
    mint channels = 0;
    if (!isInterleavedRgb(video, channels)) {
        ErrorManager::throwException("DimensionsError", "Image should be interleaved RGB and of dimenstions 3 or 4");
    }
    const mint bitRate = manager.getInteger(2);
    if (bitRate < 1 || bitRate > kMaxBitRate) {
        ErrorManager::throwException("BitRateError");
    }
    const mint frameRate = manager.getInteger(3);
    if (frameRate > kMaxFrameRate) {
        ErrorManager::throwException("FrameRateError");
    }
    const Tensor<double> durations(*manager.getArgument(4).tensor);

    VideoWriter writer(path);
    writer.frameCount = static_cast<uint32_t>(dims[0]);
    writer.height = static_cast<uint32_t>(dims[1]);
    writer.width = static_cast<uint32_t>(dims[2]);
    writer.bytesPerPixel = static_cast<uint32_t>(channels);
    writer.frameRate = static_cast<double>(frameRate);
    writer.bitRate = static_cast<uint32_t>(bitRate);
    if (frameRate < 0) {
        ErrorManager::throwException("FrameRateError", "Frame rate should be positive");
    }
    if (frameRate == 0) {
        takeFrameDurations(durations, writer);
    } else {
        writer.mediaFrameRate = writer.frameRate;
    }
    writer.codecName = manager.getString(5);

    writer.writeAll(video.data(), frameRate == 0 ? durations.data() : nullptr);
    manager.setString(path);
}

}  // namespace TravexUtils
