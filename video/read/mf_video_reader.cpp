#include "video/read/mf_video_reader.h"

#include <algorithm>

#include "media/check_hresult.h"
#include "platform/buffer_lock.h"
#include "platform/prop_variant_guard.h"
#include "platform/utf.h"
#include "video/read/codec_name_tables.h"
#include "video/read/frame_layout.h"
#include "video/read/page_warmer.h"

namespace TravexUtils {

using MorvalePlatform::BufferLock;
using MorvalePlatform::ComPtr;
using MorvalePlatform::PropVariantGuard;

namespace {

constexpr DWORD kFirstVideoStream = static_cast<DWORD>(MF_SOURCE_READER_FIRST_VIDEO_STREAM);
constexpr double kHundredNanoseconds = 1e-7;

uint32_t upper32(UINT64 value) { return static_cast<uint32_t>(value >> 32); }
uint32_t lower32(UINT64 value) { return static_cast<uint32_t>(value & 0xFFFFFFFFu); }

}  // namespace

void MFVideoReader::open() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE);
    checkHResult(MFStartup(MF_VERSION, MFSTARTUP_FULL), "MFLibraryStartError", "Can't start MF library");

    const auto widePath = MorvalePlatform::utf8ToWide(info.path);
    if (!widePath) {
        // No file can have this name: the source reader cannot be made.
        ErrorManager::throwException("MFObjectCreateError", "Path is not valid UTF-8");
    }

    ComPtr<IMFAttributes> attributes;
    checkHResult(MFCreateAttributes(&attributes, 1), "MFObjectCreateError", "Can't create MF attribute");
    checkHResult(attributes->SetUINT32(MF_SOURCE_READER_ENABLE_VIDEO_PROCESSING, 1), "MFropertySetError",
                 "Can't set video processing attribute");

    sourceReader_.reset();
    checkHResult(MFCreateSourceReaderFromURL(widePath->c_str(), attributes.get(), &sourceReader_),
                 "MFObjectCreateError", "Can't create source reader from url");
    if (!sourceReader_) {
        ErrorManager::throwException("MFNullPointerError", "Source reader is null");
    }

    compressedType_.reset();
    checkHResult(sourceReader_->GetCurrentMediaType(kFirstVideoStream, &compressedType_), "MFPropertyGetError",
                 "Can't get compressed video type");

    ComPtr<IMFMediaType> outputType;
    checkHResult(MFCreateMediaType(&outputType), "MFObjectCreateError", "Can't create media type");
    checkHResult(outputType->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video), "MFropertySetError",
                 "Can't set video major type");
    checkHResult(outputType->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_RGB32), "MFropertySetError",
                 "Can't set video subtype");
    checkHResult(sourceReader_->SetCurrentMediaType(kFirstVideoStream, nullptr, outputType.get()),
                 "MFropertySetError", "Can't set current video type");
    outputType.reset();

    currentType_.reset();
    checkHResult(sourceReader_->GetCurrentMediaType(kFirstVideoStream, &currentType_), "MFPropertyGetError",
                 "Can't get current video type");
}

void MFVideoReader::loadProperties() {
    if (propertiesLoaded_) {
        return;
    }
    if (!compressedType_) {
        ErrorManager::throwException("MFNullPointerError", "Compressed type is null");
    }

    UINT32 bitRate = 0;
    if (compressedType_->GetUINT32(MF_MT_AVG_BITRATE, &bitRate) == S_OK) {
        info.bitRate = bitRate;
    }

    UINT64 frameSize = 0;
    checkHResult(compressedType_->GetUINT64(MF_MT_FRAME_SIZE, &frameSize), "MFPropertyGetError",
                 "Can't get frame width and height");
    info.width = upper32(frameSize);
    info.height = lower32(frameSize);

    UINT64 frameRate = 0;
    checkHResult(compressedType_->GetUINT64(MF_MT_FRAME_RATE, &frameRate), "MFPropertyGetError",
                 "Can't get frame rate");
    info.frameRate = static_cast<double>(upper32(frameRate)) / static_cast<double>(lower32(frameRate));

    {
        PropVariantGuard duration;
        checkHResult(sourceReader_->GetPresentationAttribute(static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE),
                                                             MF_PD_DURATION, duration.get()),
                     "MFPropertyGetError", "Can't get duration");
        info.duration = static_cast<double>(static_cast<LONGLONG>(duration.value().uhVal.QuadPart)) / 1e7;
    }

    GUID subtype{};
    info.encodingName.clear();
    if (compressedType_->GetGUID(MF_MT_SUBTYPE, &subtype) == S_OK) {
        info.encodingName = subtypeName(MFSubtypeNameTable(), subtype);
    }

    probeDecodedSize();

    if (decodedWidth_ != 0 && decodedHeight_ != 0) {
        info.width = std::min(info.width, decodedWidth_);
        info.height = std::min(info.height, decodedHeight_);
    }
    propertiesLoaded_ = true;
}

void MFVideoReader::rewind() {
    PropVariantGuard position;
    position.setInt64(0);
    checkHResult(sourceReader_->SetCurrentPosition(GUID_NULL, *position.get()), "MFropertySetError",
                 "Can't set reader position to the beginning");
    currentFrameIndex_ = -1;
}

DWORD MFVideoReader::readSample(ComPtr<IMFSample>& sample) {
    DWORD streamIndex = 0;  // the stream and the time stamp are not needed
    DWORD flags = 0;
    LONGLONG timestamp = 0;
    checkHResult(sourceReader_->ReadSample(kFirstVideoStream, 0, &streamIndex, &flags, &timestamp, &sample),
                 "MFSampleReadError", "Can't read video sample");
    return flags;
}

void MFVideoReader::readDecodedSize() {
    ComPtr<IMFMediaType> type;
    checkHResult(sourceReader_->GetCurrentMediaType(kFirstVideoStream, &type), "MFPropertyGetError",
                 "Can't get compressed video type");
    UINT64 frameSize = 0;
    checkHResult(type->GetUINT64(MF_MT_FRAME_SIZE, &frameSize), "MFPropertyGetError",
                 "Can't get frame width and height");
    decodedWidth_ = upper32(frameSize);
    decodedHeight_ = lower32(frameSize);
}

void MFVideoReader::readDecodedSizeIfChanged(DWORD flags) {
    if (flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) {
        readDecodedSize();
    }
}

void MFVideoReader::copySample(IMFSample& sample, const FrameRequest::Slots& slots, uint8_t* destination) {
    ComPtr<IMFMediaBuffer> buffer;
    checkHResult(sample.ConvertToContiguousBuffer(&buffer), "MFBufferConversionError",
                 "Can't convert to contiguous buffer");
    BufferLock lock(buffer.get());
    DWORD length = 0;
    checkHResult(lock.lock(nullptr, &length), "MFLockUnlockError", "Can't lock the buffer for reading the data");

    // The decoded width is the row stride; only the effective width and height
    // are handed out. Rows the buffer does not hold (a stream that shrank
    // mid-way) are left as they are rather than read past the buffer.
    const std::size_t stride = std::size_t{decodedWidth_} * 4;
    const uint32_t columns = std::min(info.width, decodedWidth_);
    uint32_t rows = info.height;
    if (stride > 0) {
        const std::size_t wholeRows = length / stride + ((length % stride) >= std::size_t{columns} * 4 ? 1 : 0);
        rows = static_cast<uint32_t>(std::min<std::size_t>(rows, wholeRows));
    } else {
        rows = 0;
    }
    if (destination != nullptr) {
        for (int64_t slot : slots) {
            uint8_t* out = destination + FrameLayout::slotOffset(slot, info.width, info.height);
            copyBgrxRowsToRgb(lock.data(), stride, out, FrameLayout::rowBytes(info.width), columns, rows);
        }
    }
    checkHResult(lock.unlock(), "MFLockUnlockError", "Can't unlock the buffer");
}

void MFVideoReader::appendDuration(IMFSample& sample) {
    LONGLONG duration = 0;
    sample.GetSampleDuration(&duration);
    info.frameDurations.push_back(static_cast<double>(duration) * kHundredNanoseconds);
}

MFVideoReader::Step MFVideoReader::readStep(ComPtr<IMFSample>& sample, DWORD& flags) {
    flags = readSample(sample);
    if (flags & MF_SOURCE_READERF_ENDOFSTREAM) {
        return Step::EndOfStream;
    }
    if (!sample) {
        if (currentFrameIndex_ == 0) {
            ErrorManager::throwException("MFSampleReadError", "Received sample is null");
        }
        return Step::NoSample;
    }
    return Step::Frame;
}

void MFVideoReader::takeSample(IMFSample& sample, const FrameRequest& request, uint8_t* destination,
                               bool recordDuration) {
    if (recordDuration) {
        appendDuration(sample);
    }
    if (const FrameRequest::Slots* slots = request.find(currentFrameIndex_)) {
        copySample(sample, *slots, destination);
    }
}

void MFVideoReader::probeDecodedSize() {
    rewind();
    {
        // Released before the rewind, which would otherwise keep a decoder
        // alive for it.
        ComPtr<IMFSample> sample;
        DWORD flags = 0;
        ++currentFrameIndex_;
        if (readStep(sample, flags) == Step::Frame) {
            readDecodedSize();
        }
    }
    rewind();
}

void MFVideoReader::readOneStep(const FrameRequest& request, uint8_t* destination, bool storeCount) {
    ++currentFrameIndex_;
    ComPtr<IMFSample> sample;
    DWORD flags = 0;
    switch (readStep(sample, flags)) {
    case Step::EndOfStream:
        ErrorManager::throwException("MFEndOfFile", "End Of File");
    case Step::NoSample:
        return;
    case Step::Frame:
        break;
    }
    readDecodedSizeIfChanged(flags);
    takeSample(*sample, request, destination, storeCount && !countDone_);
}

void MFVideoReader::readSequential(const FrameRequest& request, uint8_t* destination, int32_t lastIndex,
                                   bool storeCount) {
    rewind();
    const bool recording = storeCount && !countDone_;
    if (recording) {
        info.frameDurations.clear();  // a scan that failed earlier may have left a partial list
    }
    // The read fills slots 0 to the largest requested one.
    const PageWarmer warmer(destination, static_cast<std::size_t>(
                                             FrameLayout::slotOffset(request.slotCount(), info.width, info.height)));
    // Every pass advances the index, the one that passes lastIndex too, so
    // that the index ends at the number of samples read.
    while (++currentFrameIndex_ <= lastIndex) {
        ComPtr<IMFSample> sample;
        DWORD flags = 0;
        if (readStep(sample, flags) != Step::Frame) {
            break;
        }
        readDecodedSizeIfChanged(flags);
        takeSample(*sample, request, destination, recording);
    }

    if (storeCount) {
        info.frameCount = static_cast<uint32_t>(currentFrameIndex_);
        countDone_ = true;
    }
    if (!request.empty() && request.largestIndex() >= currentFrameIndex_) {
        ErrorManager::throwException("MFInvalidFrameIndex", "Error getting the required frame");
    }
}

void MFVideoReader::readFrames(const FrameRequest& request, bool nextFrame, uint8_t* destination, int32_t lastIndex,
                               bool storeCount) {
    if (nextFrame) {
        readOneStep(request, destination, storeCount);
    } else {
        readSequential(request, destination, lastIndex, storeCount);
    }
}

void MFVideoReader::readFrames(const PlannedRequest& plan, uint8_t* destination) {
    readSequential(plan.request, destination, plan.lastIndex, plan.storeCount);
}

void MFVideoReader::readNextFrame(uint8_t* destination) {
    FrameRequest request;
    request.insert(int64_t{currentFrameIndex_} + 1, 0);
    readOneStep(request, destination, false);
}

void MFVideoReader::countSamples() {
    uint32_t count = 0;
    info.frameDurations.clear();
    for (;;) {
        ComPtr<IMFSample> sample;
        const DWORD flags = readSample(sample);
        if ((flags & MF_SOURCE_READERF_ENDOFSTREAM) || !sample) {
            break;
        }
        appendDuration(*sample);
        ++count;
    }
    info.frameCount = count;
}

void MFVideoReader::countFrames() {
    loadProperties();
    if (countDone_) {
        return;
    }
    if (!sourceReader_) {
        ErrorManager::throwException("MFNullPointerError", "Source reader is null");
    }
    {
        PropVariantGuard position;  // the rewind below reports a failure
        position.setInt64(0);
        sourceReader_->SetCurrentPosition(GUID_NULL, *position.get());
    }
    countSamples();
    countDone_ = true;
    rewind();
}

}  // namespace TravexUtils
