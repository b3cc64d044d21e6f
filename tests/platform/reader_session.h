// ReaderSession: what the library does before reading a file, for the
// tests: start COM and Media Foundation, open a source reader with video
// processing enabled, and stop both again at the end, checking the balance.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/media_foundation.h"

namespace PlatformTest {

using MorvalePlatform::ComPtr;

class ReaderSession {
public:
    ReaderSession();
    ~ReaderSession();
    ReaderSession(const ReaderSession&) = delete;
    ReaderSession& operator=(const ReaderSession&) = delete;

    // MFCreateSourceReaderFromURL on the UTF-8 path; the reader is null on
    // failure.
    HRESULT open(const std::string& path, ComPtr<IMFSourceReader>& reader, bool videoProcessing = true);
    // open() and RGB32 on the first video stream; fails the test otherwise.
    ComPtr<IMFSourceReader> openRgb32(const std::string& path);
};

HRESULT setRgb32(IMFSourceReader* reader);

// One ReadSample of the first video stream.
struct ReadResult {
    HRESULT hr = E_FAIL;
    DWORD flags = 0;
    LONGLONG timestamp = 0;
    ComPtr<IMFSample> sample;
};
ReadResult readVideoSample(IMFSourceReader* reader);

// The bytes of a sample's contiguous buffer.
std::vector<uint8_t> sampleBytes(IMFSample* sample);

// MF_MT_FRAME_SIZE of the current video type.
std::pair<UINT32, UINT32> currentFrameSize(IMFSourceReader* reader);

HRESULT rewind(IMFSourceReader* reader);

// Largest difference of a colour byte between two BGRA pictures of the given
// size (alpha left out).
int largestColourDifference(const uint8_t* a, const uint8_t* b, size_t bytes);

}  // namespace PlatformTest
