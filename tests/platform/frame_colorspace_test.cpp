// A stream may state any colour matrix number, most of them not among
// FFmpeg's enumerators (a damaged file stated 65). The converter must read
// the number without loading it as the enum, convert unknown ones with the
// default matrix, and still honour the matrices it knows.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/linux/frame_colorspace.h"
#include "platform/linux/yuv_to_bgra.h"

namespace PlatformTest {
namespace {

using MorvalePlatform::YuvToBgraPlan;

// A 4:2:0 frame's header stating the matrix number, written into the field's
// storage as a decoder does.
AVFrame frameStating(int matrix) {
    AVFrame frame{};
    frame.format = AV_PIX_FMT_YUV420P;
    frame.width = 16;
    frame.height = 16;
    frame.color_range = AVCOL_RANGE_MPEG;
    std::memcpy(&frame.colorspace, &matrix, sizeof matrix);
    return frame;
}

bool sameCoefficients(const YuvToBgraPlan& a, const YuvToBgraPlan& b) {
    return a.blueFromU == b.blueFromU && a.greenFromU == b.greenFromU && a.greenFromV == b.greenFromV &&
           a.redFromV == b.redFromV;
}

TEST(FrameColorspace, StatedNumbersOutsideTheEnumConvertWithTheDefaultMatrix) {
    const auto unspecified = MorvalePlatform::planYuvToBgra(frameStating(AVCOL_SPC_UNSPECIFIED));
    const auto bt709 = MorvalePlatform::planYuvToBgra(frameStating(AVCOL_SPC_BT709));
    ASSERT_TRUE(unspecified && bt709);
    EXPECT_FALSE(sameCoefficients(*unspecified, *bt709)) << "a known matrix is honoured";
    for (const int stated : {65, 255, 1 << 20, -7}) {
        const AVFrame frame = frameStating(stated);
        EXPECT_EQ(MorvalePlatform::frameColorspace(frame), stated);
        const auto plan = MorvalePlatform::planYuvToBgra(frame);
        ASSERT_TRUE(plan) << stated;
        EXPECT_TRUE(sameCoefficients(*plan, *unspecified)) << stated;
    }
}

}  // namespace
}  // namespace PlatformTest
