// ReaderSession and the read helpers; see reader_session.h.
#include "reader_session.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/buffer_lock.h"
#include "platform/prop_variant_guard.h"
#include "platform/utf.h"

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

std::vector<uint8_t> sampleBytes(IMFSample* sample) {
    ComPtr<IMFMediaBuffer> buffer;
    EXPECT_EQ(sample->ConvertToContiguousBuffer(&buffer), S_OK);
    if (!buffer) return {};
    MorvalePlatform::BufferLock lock(buffer.get());
    DWORD length = 0;
    EXPECT_EQ(lock.lock(nullptr, &length), S_OK);
    std::vector<uint8_t> bytes(lock.data(), lock.data() + length);
    EXPECT_EQ(lock.unlock(), S_OK);
    return bytes;
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
