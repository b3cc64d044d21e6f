// Sink writer test helpers; see video_writing.h.
#include "video_writing.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "media_probes.h"
#include "platform/buffer_lock.h"
#include "platform/utf.h"

namespace PlatformTest {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "writing";
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    folder_ = fs::path(MORVALE_FIXTURE_DIR) / "written" / (name + "." + std::to_string(::getpid()));
    fs::create_directories(folder_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

namespace {

// 0..255..0 as value runs over 0..511.
uint8_t triangle(int value) {
    const int folded = ((value % 512) + 512) % 512;
    return static_cast<uint8_t>(folded < 256 ? folded : 511 - folded);
}

}  // namespace

std::vector<uint8_t> movingPicture(UINT32 width, UINT32 height, int index) {
    std::vector<uint8_t> picture(size_t{width} * height * 4);
    const int squareLeft = (index * 5) % static_cast<int>(width);
    const int squareTop = static_cast<int>(height) / 3;
    for (UINT32 y = 0; y < height; ++y) {
        for (UINT32 x = 0; x < width; ++x) {
            uint8_t* pixel = &picture[(size_t{y} * width + x) * 4];
            const int ix = static_cast<int>(x);
            const int iy = static_cast<int>(y);
            const bool inSquare = ix >= squareLeft && ix < squareLeft + 16 && iy >= squareTop && iy < squareTop + 16;
            pixel[0] = inSquare ? 255 : triangle(ix * 3 + index * 4);
            pixel[1] = inSquare ? 255 : triangle(iy * 3 + index * 2);
            pixel[2] = inSquare ? 255 : triangle((ix + iy) * 2 + index * 6);
            pixel[3] = 255;
        }
    }
    return picture;
}

std::vector<uint8_t> bottomUpBuffer(const std::vector<uint8_t>& picture, UINT32 width, UINT32 height) {
    std::vector<uint8_t> buffer(picture.size());
    const size_t row = size_t{width} * 4;
    for (UINT32 r = 0; r < height; ++r) {
        std::copy_n(&picture[(height - 1 - r) * row], row, &buffer[r * row]);
        for (size_t i = 3; i < row; i += 4) buffer[r * row + i] = 0;
    }
    return buffer;
}

HRESULT createSinkWriter(const std::string& path, ComPtr<IMFSinkWriter>& writer) {
    const auto wide = MorvalePlatform::utf8ToWide(path);
    if (!wide) return E_INVALIDARG;
    return MFCreateSinkWriterFromURL(wide->c_str(), nullptr, nullptr, &writer);
}

namespace {

// A progressive video type of the subtype with the format's size and rate
// and square pixels.
ComPtr<IMFMediaType> videoType(const VideoFormat& format, const GUID& subtype) {
    ComPtr<IMFMediaType> type;
    EXPECT_EQ(MFCreateMediaType(&type), S_OK);
    type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    type->SetGUID(MF_MT_SUBTYPE, subtype);
    type->SetUINT32(MF_MT_INTERLACE_MODE, MFVideoInterlace_Progressive);
    MFSetAttributeSize(type.get(), MF_MT_FRAME_SIZE, format.width, format.height);
    MFSetAttributeRatio(type.get(), MF_MT_FRAME_RATE, format.rateNumerator, format.rateDenominator);
    MFSetAttributeRatio(type.get(), MF_MT_PIXEL_ASPECT_RATIO, 1, 1);
    return type;
}

}  // namespace

ComPtr<IMFMediaType> videoOutputType(const VideoFormat& format) {
    ComPtr<IMFMediaType> type = videoType(format, format.subtype);
    type->SetUINT32(MF_MT_AVG_BITRATE, format.bitRate);
    return type;
}

ComPtr<IMFMediaType> rgb32InputType(const VideoFormat& format) { return videoType(format, MFVideoFormat_RGB32); }

HRESULT beginVideo(const std::string& path, const VideoFormat& format, ComPtr<IMFSinkWriter>& writer,
                   DWORD& stream) {
    if (HRESULT hr = createSinkWriter(path, writer); FAILED(hr)) return hr;
    if (HRESULT hr = writer->AddStream(videoOutputType(format).get(), &stream); FAILED(hr)) return hr;
    if (HRESULT hr = writer->SetInputMediaType(stream, rgb32InputType(format).get(), nullptr); FAILED(hr)) return hr;
    return writer->BeginWriting();
}

HRESULT writeSample(IMFSinkWriter* writer, DWORD stream, const std::vector<uint8_t>& buffer, LONGLONG time,
                         LONGLONG duration) {
    ComPtr<IMFMediaBuffer> memory;
    if (HRESULT hr = MFCreateMemoryBuffer(static_cast<DWORD>(buffer.size()), &memory); FAILED(hr)) return hr;
    {
        MorvalePlatform::BufferLock lock(memory.get());
        if (HRESULT hr = lock.lock(); FAILED(hr)) return hr;
        std::copy(buffer.begin(), buffer.end(), lock.data());
    }
    memory->SetCurrentLength(static_cast<DWORD>(buffer.size()));
    ComPtr<IMFSample> sample;
    if (HRESULT hr = MFCreateSample(&sample); FAILED(hr)) return hr;
    sample->AddBuffer(memory.get());
    sample->SetSampleTime(time);
    sample->SetSampleDuration(duration);
    return writer->WriteSample(stream, sample.get());
}

HRESULT writeMovingVideo(const std::string& path, const VideoFormat& format, const std::vector<LONGLONG>& durations) {
    ComPtr<IMFSinkWriter> writer;
    DWORD stream = 0;
    if (HRESULT hr = beginVideo(path, format, writer, stream); FAILED(hr)) return hr;
    LONGLONG time = 0;
    for (size_t i = 0; i < durations.size(); ++i) {
        const auto buffer = bottomUpBuffer(movingPicture(format.width, format.height, static_cast<int>(i)),
                                           format.width, format.height);
        if (HRESULT hr = writeSample(writer.get(), stream, buffer, time, durations[i]); FAILED(hr)) return hr;
        time += durations[i];
    }
    return writer->Finalize();
}

std::vector<LONGLONG> evenDurations(const VideoFormat& format, int count) {
    return std::vector<LONGLONG>(static_cast<size_t>(count),
                                 10000000LL * format.rateDenominator / format.rateNumerator);
}

double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) return 0;
    double squares = 0;
    size_t count = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (i % 4 == 3) continue;
        const double difference = static_cast<double>(a[i]) - static_cast<double>(b[i]);
        squares += difference * difference;
        ++count;
    }
    if (squares == 0) return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 / (squares / static_cast<double>(count)));
}

int probeFrameCount(const std::string& path) {
    return std::stoi(runCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                "stream=nb_read_frames -of csv=p=0 '" + path + "'"));
}

}  // namespace PlatformTest
