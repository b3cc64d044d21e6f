// ReaderSession: what the library does before reading a file, for the
// tests: start COM and Media Foundation, open a source reader with video
// processing enabled, and stop both again at the end, checking the balance.
#pragma once

#include <gtest/gtest.h>

#include <functional>
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

// One sample of a read to the end of the stream.
struct SampleRead {
    LONGLONG timestamp = 0;       // ReadSample's
    HRESULT timeResult = E_FAIL;  // GetSampleTime's
    LONGLONG time = 0;
    LONGLONG duration = 0;  // 0 when the sample has none
    DWORD flags = 0;
    bool keyFrame = false;
    HRESULT bufferResult = E_FAIL;  // ConvertToContiguousBuffer's, when the buffer was asked for
    std::vector<uint8_t> pixels;
};

// Reads the first video stream to its end, asking for the buffer of the
// i-th sample only when wanted(i). Every ReadSample before the end must
// succeed with a sample whose time, when it has one, is the one ReadSample
// reported.
std::vector<SampleRead> readToEnd(IMFSourceReader* reader, const std::function<bool(size_t)>& wanted);
inline bool everySample(size_t) { return true; }
inline bool noSample(size_t) { return false; }

// Every frame's RGB32 bytes, each buffer asked for as its sample comes and
// every request succeeding: the decode of every frame in order.
std::vector<std::vector<uint8_t>> everyFrame(ReaderSession& session, const std::string& path);

// Largest difference of a colour byte between the frames and the ffmpeg
// tool's BGRA decode of the file; 256 unless both have the same bytes count.
int largestDifferenceFromFfmpeg(const std::vector<std::vector<uint8_t>>& frames, const std::string& path);

// MF_MT_FRAME_SIZE of the current video type.
std::pair<UINT32, UINT32> currentFrameSize(IMFSourceReader* reader);

HRESULT rewind(IMFSourceReader* reader);

// Largest difference of a colour byte between two BGRA pictures of the given
// size (alpha left out).
int largestColourDifference(const uint8_t* a, const uint8_t* b, size_t bytes);

}  // namespace PlatformTest
