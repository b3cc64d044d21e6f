// Helpers for the sink writer tests: a scratch folder for written files, a
// moving test picture, and writing frames through the platform's sink
// writer exactly as the library does (RGB32, bottom row first).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/media_foundation.h"

namespace PlatformTest {

using MorvalePlatform::ComPtr;

// A folder of its own for one test process, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

private:
    std::filesystem::path folder_;
};

struct VideoFormat {
    GUID subtype;
    UINT32 width = 160;
    UINT32 height = 120;
    UINT32 rateNumerator = 25;
    UINT32 rateDenominator = 1;
    UINT32 bitRate = 2000000;
};

// Frame index's picture: blue, green, red, 255 per pixel, top row first,
// smooth gradients that drift with the index and a white square moving
// across them.
std::vector<uint8_t> movingPicture(UINT32 width, UINT32 height, int index);

// The same picture as the sample buffer of an RGB32 input type: bottom row
// first, the fourth byte 0.
std::vector<uint8_t> bottomUpBuffer(const std::vector<uint8_t>& picture, UINT32 width, UINT32 height);

// MFCreateSinkWriterFromURL on a UTF-8 path.
HRESULT createSinkWriter(const std::string& path, ComPtr<IMFSinkWriter>& writer);

// Output type and RGB32 input type of the format, as the library sets them.
ComPtr<IMFMediaType> videoOutputType(const VideoFormat& format);
ComPtr<IMFMediaType> rgb32InputType(const VideoFormat& format);

// The whole set-up: writer, stream, input type, BeginWriting. Stops at the
// first failure and returns it.
HRESULT beginVideo(const std::string& path, const VideoFormat& format, ComPtr<IMFSinkWriter>& writer,
                   DWORD& stream);

// One sample holding the bytes (pictures already in buffer layout).
HRESULT writeSample(IMFSinkWriter* writer, DWORD stream, const std::vector<uint8_t>& buffer, LONGLONG time,
                         LONGLONG duration);

// beginVideo, the moving pictures with the given durations (100 ns; sample
// times add them up), Finalize. Stops at the first failure.
HRESULT writeMovingVideo(const std::string& path, const VideoFormat& format, const std::vector<LONGLONG>& durations);

// n equal durations of one frame period of the format.
std::vector<LONGLONG> evenDurations(const VideoFormat& format, int count);

// Peak signal-to-noise ratio in dB over the colour bytes of two BGRA
// pictures (infinity when equal).
double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

// Frames the ffprobe tool decodes in the first video stream.
int probeFrameCount(const std::string& path);

}  // namespace PlatformTest
