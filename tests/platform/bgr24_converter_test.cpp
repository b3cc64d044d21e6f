// The grabber's bitmaps hold, byte for byte, the pixels of the platform's
// RGB32 conversion (a frame reads the same through both APIs), flipped
// bottom up, with zero padding to 4 bytes per row: for the Y'CbCr formats
// converted in one pass (widths that take the vector loop, its tail, or
// neither) and for frames that go through the RGB32 buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/linux/ds_bgr24_converter.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace PlatformTest {
namespace {

using MorvalePlatform::Bgr24Converter;
using MorvalePlatform::ComPtr;
using MorvalePlatform::FramePtr;
using MorvalePlatform::RgbConverter;
using MorvalePlatform::RgbLayout;

struct FrameCase {
    AVPixelFormat format;
    int width;
    int height;
    AVColorRange range;
    AVColorSpace matrix;
};

FramePtr noiseFrame(const FrameCase& c, unsigned seed) {
    FramePtr frame(av_frame_alloc());
    frame->format = c.format;
    frame->width = c.width;
    frame->height = c.height;
    frame->color_range = c.range;
    frame->colorspace = c.matrix;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    std::mt19937 random(seed);
    for (int plane = 0; plane < 4 && frame->buf[plane]; ++plane) {
        for (size_t i = 0; i < frame->buf[plane]->size; ++i) frame->buf[plane]->data[i] = static_cast<uint8_t>(random());
    }
    return frame;
}

TEST(Bgr24Converter, BitmapsHoldTheRgb32PixelsBottomUp) {
    const FrameCase cases[] = {
        {AV_PIX_FMT_YUV420P, 5, 4, AVCOL_RANGE_MPEG, AVCOL_SPC_UNSPECIFIED},
        {AV_PIX_FMT_YUV420P, 16, 2, AVCOL_RANGE_MPEG, AVCOL_SPC_BT709},
        {AV_PIX_FMT_YUV420P, 50, 6, AVCOL_RANGE_JPEG, AVCOL_SPC_BT470BG},
        {AV_PIX_FMT_YUVJ420P, 33, 8, AVCOL_RANGE_UNSPECIFIED, AVCOL_SPC_UNSPECIFIED},
        {AV_PIX_FMT_YUV422P, 35, 3, AVCOL_RANGE_MPEG, AVCOL_SPC_BT709},
        {AV_PIX_FMT_YUV444P, 67, 5, AVCOL_RANGE_MPEG, AVCOL_SPC_BT2020_NCL},
        // Through the RGB32 buffer: odd 4:2:0 heights and 10-bit sources.
        {AV_PIX_FMT_YUV420P, 34, 7, AVCOL_RANGE_MPEG, AVCOL_SPC_UNSPECIFIED},
        {AV_PIX_FMT_YUV420P10LE, 18, 4, AVCOL_RANGE_MPEG, AVCOL_SPC_BT709},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(std::string(av_get_pix_fmt_name(c.format)) + " " + std::to_string(c.width) + "x" +
                     std::to_string(c.height));
        const FramePtr frame = noiseFrame(c, static_cast<unsigned>(c.width * 31 + c.height));

        RgbConverter rgb;
        ComPtr<IMFMediaBuffer> bgra;
        ASSERT_EQ(rgb.convert(*frame, RgbLayout{c.width, c.height, c.height}, bgra), S_OK);
        BYTE* pixels = nullptr;
        ASSERT_EQ(bgra->Lock(&pixels, nullptr, nullptr), S_OK);

        Bgr24Converter converter(c.width, c.height);
        std::vector<BYTE> bitmap(converter.bytes(), 0xAB);
        ASSERT_EQ(converter.convert(*frame, bitmap.data()), S_OK);
        const size_t row = static_cast<size_t>(c.width) * 3;
        const size_t stride = bitmap.size() / static_cast<size_t>(c.height);
        ASSERT_EQ(stride % 4, 0u);
        std::vector<BYTE> expected(bitmap.size(), 0);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                std::memcpy(&expected[(static_cast<size_t>(c.height - 1 - y)) * stride + static_cast<size_t>(x) * 3],
                            pixels + (static_cast<size_t>(y) * static_cast<size_t>(c.width) + x) * 4, 3);
            }
        }
        bgra->Unlock();
        EXPECT_TRUE(bitmap == expected) << "row bytes " << row << ", stride " << stride;
    }
}

}  // namespace
}  // namespace PlatformTest
