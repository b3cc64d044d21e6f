// ReaderSession and the read helpers; see reader_session.h.
#include "reader_session.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "media_probes.h"
#include "platform/buffer_lock.h"
#include "platform/prop_variant_guard.h"
#include "platform/utf.h"
#include "tests/support/real_world_media.h"

namespace PlatformTest {

ReaderSession::ReaderSession() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE);
    EXPECT_EQ(MFStartup(MF_VERSION, MFSTARTUP_FULL), S_OK);
}

ReaderSession::~ReaderSession() {
    MFShutdown();
    CoUninitialize();
}

HRESULT ReaderSession::open(const std::string& path, ComPtr<IMFSourceReader>& reader, bool videoProcessing) {
    reader.reset();
    ComPtr<IMFAttributes> attributes;
    if (HRESULT hr = MFCreateAttributes(&attributes, 1); FAILED(hr)) return hr;
    if (videoProcessing) attributes->SetUINT32(MF_SOURCE_READER_ENABLE_VIDEO_PROCESSING, 1);
    const auto wide = MorvalePlatform::utf8ToWide(path);
    if (!wide) return E_INVALIDARG;
    return MFCreateSourceReaderFromURL(wide->c_str(), attributes.get(), &reader);
}

ComPtr<IMFSourceReader> ReaderSession::openRgb32(const std::string& path) {
    ComPtr<IMFSourceReader> reader;
    EXPECT_EQ(open(path, reader), S_OK) << path;
    if (reader) {
        EXPECT_EQ(setRgb32(reader.get()), S_OK) << path;
    }
    return reader;
}

HRESULT setRgb32(IMFSourceReader* reader) {
    ComPtr<IMFMediaType> type;
    if (HRESULT hr = MFCreateMediaType(&type); FAILED(hr)) return hr;
    type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    type->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_RGB32);
    return reader->SetCurrentMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, nullptr, type.get());
}

ReadResult readVideoSample(IMFSourceReader* reader) {
    ReadResult result;
    DWORD actual = 0;
    result.hr = reader->ReadSample(MF_SOURCE_READER_FIRST_VIDEO_STREAM, 0, &actual, &result.flags, &result.timestamp,
                                   &result.sample);
    return result;
}

namespace {

std::vector<uint8_t> bufferBytes(IMFMediaBuffer* buffer) {
    MorvalePlatform::BufferLock lock(buffer);
    DWORD length = 0;
    EXPECT_EQ(lock.lock(nullptr, &length), S_OK);
    std::vector<uint8_t> bytes(lock.data(), lock.data() + length);
    EXPECT_EQ(lock.unlock(), S_OK);
    return bytes;
}

}  // namespace

std::vector<uint8_t> sampleBytes(IMFSample* sample) {
    ComPtr<IMFMediaBuffer> buffer;
    EXPECT_EQ(sample->ConvertToContiguousBuffer(&buffer), S_OK);
    return buffer ? bufferBytes(buffer.get()) : std::vector<uint8_t>{};
}

std::vector<SampleRead> readToEnd(IMFSourceReader* reader, const std::function<bool(size_t)>& wanted) {
    std::vector<SampleRead> samples;
    for (;;) {
        ReadResult read = readVideoSample(reader);
        EXPECT_EQ(read.hr, S_OK);
        if (read.hr != S_OK || (read.flags & MF_SOURCE_READERF_ENDOFSTREAM)) break;
        if (!read.sample) {
            ADD_FAILURE() << "no sample before the end, after " << samples.size();
            break;
        }
        SampleRead sample;
        sample.timestamp = read.timestamp;
        sample.flags = read.flags;
        sample.timeResult = read.sample->GetSampleTime(&sample.time);
        if (sample.timeResult == S_OK) {
            EXPECT_EQ(sample.time, read.timestamp) << "sample " << samples.size();
        }
        if (FAILED(read.sample->GetSampleDuration(&sample.duration))) sample.duration = 0;
        sample.keyFrame = MFGetAttributeUINT32(read.sample.get(), MFSampleExtension_CleanPoint, 0) != 0;
        if (wanted(samples.size())) {
            ComPtr<IMFMediaBuffer> buffer;
            sample.bufferResult = read.sample->ConvertToContiguousBuffer(&buffer);
            if (buffer) sample.pixels = bufferBytes(buffer.get());
        }
        samples.push_back(std::move(sample));
    }
    return samples;
}

std::vector<std::vector<uint8_t>> everyFrame(ReaderSession& session, const std::string& path) {
    auto reader = session.openRgb32(path);
    std::vector<std::vector<uint8_t>> frames;
    if (!reader) return frames;
    for (SampleRead& sample : readToEnd(reader.get(), everySample)) {
        EXPECT_EQ(sample.bufferResult, S_OK) << "frame " << frames.size();
        frames.push_back(std::move(sample.pixels));
    }
    return frames;
}

int largestDifferenceFromFfmpeg(const std::vector<std::vector<uint8_t>>& frames, const std::string& path) {
    const std::vector<uint8_t> reference = morvale_test::decodedFrames(path, "bgra");
    size_t offset = 0;
    int largest = 0;
    for (const auto& frame : frames) {
        if (offset + frame.size() > reference.size()) return 256;
        largest = std::max(largest, largestColourDifference(frame.data(), reference.data() + offset, frame.size()));
        offset += frame.size();
    }
    return offset == reference.size() ? largest : 256;
}

std::pair<UINT32, UINT32> currentFrameSize(IMFSourceReader* reader) {
    ComPtr<IMFMediaType> type;
    EXPECT_EQ(reader->GetCurrentMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, &type), S_OK);
    UINT32 width = 0;
    UINT32 height = 0;
    if (type) {
        EXPECT_EQ(MFGetAttributeSize(type.get(), MF_MT_FRAME_SIZE, &width, &height), S_OK);
    }
    return {width, height};
}

HRESULT rewind(IMFSourceReader* reader) {
    MorvalePlatform::PropVariantGuard position;
    position.setInt64(0);
    return reader->SetCurrentPosition(GUID_NULL, position.value());
}

int largestColourDifference(const uint8_t* a, const uint8_t* b, size_t bytes) {
    int largest = 0;
    for (size_t i = 0; i < bytes; ++i) {
        if (i % 4 != 3) largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
    }
    return largest;
}

}  // namespace PlatformTest
