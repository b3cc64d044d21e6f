#include <gtest/gtest.h>

#include "bridge/lib_data_holder.h"
#include "bridge/tensor.h"
#include "host/stand_in/host_stand_in.h"
#include "tests/support/error_expectations.h"
#include "video/read/frame_layout.h"
#include "video/read/frame_numbers.h"
#include "video/read/frame_request.h"
#include "video/read/video_info.h"

using namespace TravexUtils;

namespace {

TEST(FrameRequest, RepeatedIndicesShareOneKey) {
    FrameRequest request;
    request.insert(2, 0);
    request.insert(2, 1);
    ASSERT_NE(request.find(2), nullptr);
    EXPECT_EQ(*request.find(2), (FrameRequest::Slots{0, 1}));
    request.insert(0, 2);
    EXPECT_EQ(request.smallestIndex(), 0);
    EXPECT_EQ(request.largestIndex(), 2);
    EXPECT_EQ(request.find(1), nullptr);
}

TEST(FrameLayout, SlotsFollowEachOther) {
    EXPECT_EQ(FrameLayout::frameBytes(4, 2) * 3, 72u);
    EXPECT_EQ(FrameLayout::slotOffset(2, 4, 2), 48u);
    const uint8_t bgrx[8] = {1, 2, 3, 99, 4, 5, 6, 99};
    uint8_t rgb[6] = {};
    copyBgrxRowsToRgb(bgrx, 8, rgb, 6, 2, 1);
    EXPECT_EQ(std::vector<uint8_t>(rgb, rgb + 6), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST(FrameLayout, RowCopyKeepsRowsApartAtEveryWidth) {
    // Widths around the eight- and four-pixel steps and their tails; each row
    // is followed by a guard byte in the destination that must survive.
    for (uint32_t width = 1; width <= 40; ++width) {
        const uint32_t rows = 3;
        const std::size_t sourceStride = width * 4 + 8;
        const std::size_t destinationStride = width * 3 + 1;
        std::vector<uint8_t> source(sourceStride * rows);
        for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 7 + 1);
        std::vector<uint8_t> destination(destinationStride * rows, 0xAB);
        copyBgrxRowsToRgb(source.data(), sourceStride, destination.data(), destinationStride, width, rows);
        for (uint32_t r = 0; r < rows; ++r) {
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* in = &source[r * sourceStride + x * 4];
                const uint8_t* out = &destination[r * destinationStride + x * 3];
                ASSERT_EQ(out[0], in[2]) << width << " " << r << " " << x;
                ASSERT_EQ(out[1], in[1]);
                ASSERT_EQ(out[2], in[0]);
            }
            ASSERT_EQ(destination[r * destinationStride + width * 3], 0xAB) << "guard after row " << r << " width " << width;
        }
    }
}

TEST(FrameRequest, NumbersBecomeSlotsInOrder) {
    LibDataHolder::setLibraryData(korvel::hostLibraryData());
    MTensor numbers = korvel::newHostTensor(MType_Integer, {4});
    long long* values = static_cast<long long*>(const_cast<void*>(korvel::tensorData(numbers)));
    values[0] = 3;
    values[1] = 1;
    values[2] = 3;
    values[3] = 0;
    {
        const Tensor<long long> tensor(numbers);
        const PlannedRequest plan = planFromNumbers(tensor);
        EXPECT_EQ(plan.sliceCount, 4);
        EXPECT_EQ(plan.lastIndex, 2);
        EXPECT_FALSE(plan.storeCount);
        EXPECT_EQ(*plan.request.find(2), (FrameRequest::Slots{0, 2}));
        EXPECT_EQ(*plan.request.find(0), (FrameRequest::Slots{1}));
        EXPECT_EQ(*plan.request.find(-1), (FrameRequest::Slots{3}));  // number 0 matches no frame
    }
    korvel::freeHostTensor(numbers);

    MTensor matrix = korvel::newHostTensor(MType_Integer, {2, 2});
    {
        const Tensor<long long> tensor(matrix);
        EXPECT_RAISES(planFromNumbers(tensor), "TensorSizeError", "Tensor should be of rank 1");
    }
    korvel::freeHostTensor(matrix);

    const PlannedRequest all = planAllFrames(3);
    EXPECT_EQ(all.lastIndex, 2);
    EXPECT_EQ(all.sliceCount, 3);
    EXPECT_TRUE(all.storeCount);
    EXPECT_EQ(*all.request.find(1), (FrameRequest::Slots{1}));
}

TEST(VideoInfo, NewRecordKnowsOnlyItsPath) {
    const VideoInfo info("a/b.mp4");
    EXPECT_EQ(info.path, "a/b.mp4");
    EXPECT_EQ(info.frameCount, 0u);
    EXPECT_TRUE(info.frameDurations.empty());
    EXPECT_EQ(info.width, 0u);
    EXPECT_TRUE(info.encodingName.empty());
}

}  // namespace
