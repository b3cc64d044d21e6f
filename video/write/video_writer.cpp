#include "video/write/video_writer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "media/check_hresult.h"
#include "platform/buffer_lock.h"
#include "platform/utf.h"
#include "video/write/rgb32_frame.h"
#include "video/write/subtype_by_name.h"

namespace TravexUtils {

using MorvalePlatform::BufferLock;
using MorvalePlatform::ComPtr;

namespace {

constexpr double kHundredNanosecondsPerSecond = 1e7;

UINT64 packHighLow(UINT32 high, UINT32 low) { return (UINT64{high} << 32) | low; }

}  // namespace

std::pair<UINT32, UINT32> VideoWriter::announcedFrameRate() const {
    if (frameRate != 0) {
        return {static_cast<UINT32>(static_cast<uint64_t>(mediaFrameRate)), 1};
    }
    constexpr double kThousandths = 1000;
    constexpr double kLargest = std::numeric_limits<int32_t>::max();
    const double numerator = std::clamp(std::round(mediaFrameRate * kThousandths), 1.0, kLargest);
    return {static_cast<UINT32>(numerator), static_cast<UINT32>(kThousandths)};
}

void VideoWriter::setVideoFormat(IMFMediaType& type, const char* interlaceText, const char* sizeText,
                                 const char* rateText, const char* aspectText) const {
    const auto [rateNumerator, rateDenominator] = announcedFrameRate();
    checkHResult(type.SetUINT32(MF_MT_INTERLACE_MODE, MFVideoInterlace_Progressive), "MFropertySetError",
                 interlaceText);
    checkHResult(type.SetUINT64(MF_MT_FRAME_SIZE, packHighLow(width, height)), "MFropertySetError", sizeText);
    checkHResult(type.SetUINT64(MF_MT_FRAME_RATE, packHighLow(rateNumerator, rateDenominator)), "MFropertySetError",
                 rateText);
    checkHResult(type.SetUINT64(MF_MT_PIXEL_ASPECT_RATIO, packHighLow(1, 1)), "MFropertySetError", aspectText);
}

void VideoWriter::setUp() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE);
    checkHResult(MFStartup(MF_VERSION, MFSTARTUP_FULL), "MFLibraryStartError", "Can't start MF library");

    sinkWriter.reset();
    const auto widePath = MorvalePlatform::utf8ToWide(path);
    if (!widePath) {
        // No file can have this name: the sink writer cannot be made.
        ErrorManager::throwException("MFObjectCreateError", "Path is not valid UTF-8");
    }
    checkHResult(MFCreateSinkWriterFromURL(widePath->c_str(), nullptr, nullptr, &sinkWriter), "MFObjectCreateError",
                 "Can't create sink writer from URL");

    ComPtr<IMFMediaType> outputType;
    checkHResult(MFCreateMediaType(&outputType), "MFObjectCreateError", "Can't create output media type");
    checkHResult(outputType->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video), "MFropertySetError",
                 "Can't set output video major type");
    const GUID subtype = findSubtypeByName(codecName);
    checkHResult(outputType->SetGUID(MF_MT_SUBTYPE, subtype), "MFropertySetError", "Can't set output video subtype");
    checkHResult(outputType->SetUINT32(MF_MT_AVG_BITRATE, bitRate), "MFropertySetError",
                 "Can't set output video bitrate");
    setVideoFormat(*outputType, "Can't set output video interlacing", "Can't set output video frame size",
                   "Can't set frame rate", "Can't set output video aspect ratio");
    DWORD index = 0;
    checkHResult(sinkWriter->AddStream(outputType.get(), &index), "MFAddStreamError", "Can't add stream");
    streamIndex = index;

    ComPtr<IMFMediaType> inputType;
    checkHResult(MFCreateMediaType(&inputType), "MFObjectCreateError", "Can't create input video type");
    checkHResult(inputType->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video), "MFropertySetError",
                 "Can't set input video major type");
    checkHResult(inputType->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_RGB32), "MFropertySetError",
                 "Can't set input video subtype");
    setVideoFormat(*inputType, "Can't set input video interlacing", "Can't set input video frame size",
                   "Can't set input frame rate", "Can't set input video aspect ratio");
    checkHResult(sinkWriter->SetInputMediaType(streamIndex, inputType.get(), nullptr), "MFMediaTypeSetError",
                 "Can't set input media type");
    checkHResult(sinkWriter->BeginWriting(), "MFWriteError", "Can't begin writting");
}

uint64_t VideoWriter::durationOfFrame(uint32_t frameIndex) {
    if (frameDurations == nullptr) {
        return frameDuration;
    }
    elapsedSeconds += frameDurations[frameIndex];
    const auto end = static_cast<uint64_t>(std::llround(elapsedSeconds * kHundredNanosecondsPerSecond));
    return end > sampleTime ? end - sampleTime : 0;
}

void VideoWriter::writeFrame(const uint8_t* pixels, uint32_t frameIndex) {
    if (!sinkWriter) {
        ErrorManager::throwException("MFNullPointerError", "Writer object is null");
    }
    const DWORD length = width * height * 4;

    ComPtr<IMFMediaBuffer> buffer;
    checkHResult(MFCreateMemoryBuffer(length, &buffer), "MFMemoryCreateError", "Can't create memory for media buffer");
    {
        BufferLock lock(buffer.get());
        checkHResult(lock.lock(), "MFLockUnlockError", "Can't lock the buffer");
        copyFrameToRgb32(pixels, width, height, bytesPerPixel, lock.data());
        checkHResult(lock.unlock(), "MFLockUnlockError", "Can't unlock the buffer");
    }
    checkHResult(buffer->SetCurrentLength(length), "MFropertySetError", "Can't set buffer length");

    ComPtr<IMFSample> sample;
    checkHResult(MFCreateSample(&sample), "MFObjectCreateError", "Can't create sample");
    checkHResult(sample->AddBuffer(buffer.get()), "MFAddBufferError", "Can't add buffer to the sample");
    const uint64_t duration = durationOfFrame(frameIndex);
    checkHResult(sample->SetSampleTime(static_cast<LONGLONG>(sampleTime)), "MFropertySetError",
                 "Can't set sample time");
    checkHResult(sample->SetSampleDuration(static_cast<LONGLONG>(duration)), "MFropertySetError",
                 "Can't set sample duration");
    sampleTime += duration;
    checkHResult(sinkWriter->WriteSample(streamIndex, sample.get()), "MFWriteError", "Can't write sample");
}

void VideoWriter::finalize() {
    if (!sinkWriter) {
        ErrorManager::throwException("MFNullPointerError", "Writer object is null");
    }
    // Not checked: a writer that could not finish its file still goes.
    sinkWriter->Finalize();
    sinkWriter.reset();
}

void VideoWriter::writeAll(const uint8_t* pixels, const double* durations) {
    if (frameRate != 0) {
        frameDuration = static_cast<uint64_t>(kHundredNanosecondsPerSecond / frameRate);
    } else {
        frameDuration = 0;
        frameDurations = durations;
    }
    setUp();
    const std::size_t frameBytes = std::size_t{bytesPerPixel} * height * width;
    for (uint32_t i = 0; i < frameCount; ++i) {
        writeFrame(pixels + i * frameBytes, i);
    }
    finalize();
}

}  // namespace TravexUtils
