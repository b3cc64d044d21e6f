// Every pixel of clips at the sizes users' media has (widths in every
// residue of 16, portrait, odd and tiny sizes), read through the video reader
// into host RGB, against the ffmpeg tool's rgb24 output of the same file.
// Sizes where a converter works in blocks of pixels are where columns go
// missing or rows run past the buffer, so every column is compared.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "tests/support/reference_media.h"
#include "tests/support/sized_clips.h"
#include "tests/video_read/reader_test_support.h"
#include "video/read/frame_layout.h"
#include "video/read/frame_numbers.h"
#include "video/read/mf_video_reader.h"

using namespace TravexUtils;
using morvale_test::SizedClip;

namespace {

struct SizedCase {
    SizedClip clip;
    // Largest difference allowed in any colour byte. 0 where the library
    // converts as the ffmpeg tool does (8-bit 4:2:0 and 4:2:2, RGB sources);
    // 4:4:4 sources convert by another route than the tool's rgb24 output
    // and may round differently; 10-bit ones are dithered down to 8 bits,
    // differently for blue-green-red-pad output than for rgb24.
    int tolerance;
};

void PrintTo(const SizedCase& c, std::ostream* out) {
    *out << morvale_test::sizedClipName(c.clip) << " within " << c.tolerance;
}

std::string caseName(const SizedCase& c) {
    std::ostringstream name;
    name << c.clip.width << "x" << c.clip.height << "_" << c.clip.pixelFormat << "_" << c.clip.container;
    if (c.clip.extra.find("-color") != std::string::npos) name << "_tagged";
    std::string text = name.str();
    for (char& ch : text) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    }
    return text;
}

SizedClip clip(const char* codec, const char* container, uint32_t width, uint32_t height, const char* pixelFormat,
               const char* extra = "", int frames = 4) {
    return SizedClip{codec, container, width, height, pixelFormat, extra, frames};
}

const char* const kBt709 = "-colorspace bt709 -color_primaries bt709 -color_trc bt709";
const char* const kFullBt709 = "-colorspace bt709 -color_range pc";

// Width mod 16 is noted where it decides what a block-wise converter does
// at the end of a row: 1..7 left columns unwritten, 8..15 ran past the end.
// One row per residue, range, matrix and source layout: containers and
// other sizes of the same kind take the same conversion.
const SizedCase kCases[] = {
    {clip("libx264", "mp4", 854, 480, "yuv420p"), 0},             // mod 16 = 6, the common 480p size
    {clip("libx264", "mp4", 300, 200, "yuv420p"), 0},             // 12
    {clip("libx264", "mov", 296, 200, "yuv420p"), 0},             // 8
    {clip("libx264", "mp4", 360, 640, "yuv420p"), 0},             // 8, portrait
    {clip("libx264", "mp4", 1900, 1080, "yuv420p", kBt709, 2), 0},  // 12, BT.709
    {clip("libx264", "mkv", 854, 480, "yuv420p", kFullBt709), 0},   // full range BT.709
    {clip("mjpeg", "avi", 97, 54, "yuvj420p"), 0},                // odd width, full range BT.601
    {clip("libvpx-vp9", "webm", 97, 55, "yuv420p", "-deadline realtime"), 0},  // odd height
    {clip("libvpx-vp9", "webm", 1, 1, "yuv420p", "-deadline realtime"), 0},
    {clip("libx264", "mov", 300, 200, "yuv422p"), 0},
    {clip("libx264", "mp4", 97, 55, "yuv444p"), 3},
    {clip("libx264", "mp4", 300, 200, "yuv420p10le"), 4},
    {clip("libvpx-vp9", "webm", 97, 55, "yuv420p10le", "-deadline realtime"), 4},
    {clip("rawvideo", "avi", 33, 17, "bgr24"), 0},
};

class SizedClipFrames : public morvale_test::ReaderTest, public ::testing::WithParamInterface<SizedCase> {};

TEST_P(SizedClipFrames, EveryColumnMatchesTheFfmpegTool) {
    const SizedCase& param = GetParam();
    const std::string path = morvale_test::sizedClip(param.clip);
    MFVideoReader reader(path);
    reader.open();
    reader.loadProperties();
    reader.countFrames();
    ASSERT_EQ(reader.info.width, param.clip.width);
    ASSERT_EQ(reader.info.height, param.clip.height);
    ASSERT_EQ(reader.info.frameCount, static_cast<uint32_t>(param.clip.frames));

    const PlannedRequest all = planAllFrames(reader.info.frameCount);
    const std::size_t frameBytes = FrameLayout::frameBytes(reader.info.width, reader.info.height);
    std::vector<uint8_t> frames(frameBytes * static_cast<std::size_t>(all.sliceCount));
    reader.readFrames(all.request, false, frames.data(), all.lastIndex, all.storeCount);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(path);
    ASSERT_EQ(frames.size(), reference.size());

    // The worst column, so that a failure says where the row went wrong.
    const std::size_t rowBytes = FrameLayout::rowBytes(reader.info.width);
    int largest = 0;
    std::size_t worstColumn = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const int difference = std::abs(int{frames[i]} - int{reference[i]});
        if (difference > largest) {
            largest = difference;
            worstColumn = (i % rowBytes) / 3;
        }
    }
    EXPECT_LE(largest, param.tolerance) << "worst at column " << worstColumn << " of " << reader.info.width;
}

INSTANTIATE_TEST_SUITE_P(Sizes, SizedClipFrames, ::testing::ValuesIn(kCases),
                         [](const auto& instance) { return caseName(instance.param); });

}  // namespace
