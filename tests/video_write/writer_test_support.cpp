// Video writing test helpers; see writer_test_support.h.
#include "writer_test_support.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "host/stand_in/host_stand_in.h"
#include "tests/support/media_fixtures.h"
#include "video/write/global_writer.h"

namespace morvale_test {

namespace {

// 0..255..0 as value runs over 0..511.
uint8_t triangle(int value) {
    const int folded = ((value % 512) + 512) % 512;
    return static_cast<uint8_t>(folded < 256 ? folded : 511 - folded);
}

}  // namespace

std::vector<uint8_t> movingFrame(uint32_t width, uint32_t height, int index, int channels) {
    std::vector<uint8_t> frame(std::size_t{width} * height * static_cast<std::size_t>(channels));
    const int squareLeft = (index * 3) % static_cast<int>(width);
    const int squareTop = static_cast<int>(height) / 3;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* pixel = &frame[(std::size_t{y} * width + x) * static_cast<std::size_t>(channels)];
            const int ix = static_cast<int>(x);
            const int iy = static_cast<int>(y);
            const bool inSquare = ix >= squareLeft && ix < squareLeft + 8 && iy >= squareTop && iy < squareTop + 8;
            const uint8_t colour[4] = {
                inSquare ? uint8_t{255} : triangle((ix + iy) * 2 + index * 6),
                inSquare ? uint8_t{255} : triangle(iy * 3 + index * 2),
                inSquare ? uint8_t{255} : triangle(ix * 3 + index * 4),
                static_cast<uint8_t>(ix * 7 + index),
            };
            // Grey and two-channel frames (refused by the writer) take the first channels.
            std::copy_n(colour, channels, pixel);
        }
    }
    return frame;
}

MImage movingImage(int frames, uint32_t width, uint32_t height, int channels, bool interleaved) {
    MImage image = korvel::newHostImage(frames, width, height, channels, MImage_Type_Bit8, interleaved);
    auto* out = const_cast<unsigned char*>(korvel::imageData(image));
    for (int i = 0; i < std::max(frames, 1); ++i) {
        const std::vector<uint8_t> frame = movingFrame(width, height, i, channels);
        std::memcpy(out + i * frame.size(), frame.data(), frame.size());
    }
    return image;
}

double psnr(const uint8_t* a, const uint8_t* b, std::size_t length) {
    double squares = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const double difference = static_cast<double>(a[i]) - static_cast<double>(b[i]);
        squares += difference * difference;
    }
    if (squares == 0) return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 / (squares / static_cast<double>(length)));
}

void addWholeVideoArguments(korvel::HostArguments& arguments, const WholeVideo& video) {
    arguments.addString(video.path)
        .adoptImage(movingImage(video.frames, video.width, video.height))
        .addInteger(video.bitRate)
        .addInteger(video.frameRate)
        .addReals(video.durations)
        .addString(video.codec);
}

int writeWholeVideo(const WholeVideo& video) {
    korvel::HostArguments arguments;
    addWholeVideoArguments(arguments, video);
    return arguments.call(MFWriteVideo, korvel::ResultKind::String);
}

void addInitArguments(korvel::HostArguments& arguments, const std::string& path, mint width, mint height,
                      mint bitRate, mint frameRate, const std::string& codec) {
    arguments.addString(path).addInteger(width).addInteger(height).addInteger(bitRate).addInteger(frameRate).addString(
        codec);
}

RaisedError raisedByBody(void (*body)(TravexUtils::MArgumentManager&), korvel::HostArguments& arguments,
                         korvel::ResultKind result) {
    return raisedBy([&] {
        TravexUtils::MArgumentManager manager(korvel::hostLibraryData(), arguments.count(), arguments.slots(),
                                              arguments.resultSlot(result));
        body(manager);
    });
}

void WriterTest::SetUp() {
    ExportTest::SetUp();
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name() + "." + std::to_string(::getpid());
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    folder_ = scratchDirectory(name);
}

void WriterTest::TearDown() {
    TravexUtils::globalVideoWriter().reset();
    ExportTest::TearDown();
}

}  // namespace morvale_test
