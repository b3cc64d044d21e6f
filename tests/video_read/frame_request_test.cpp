#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <iterator>

#include "bridge/lib_data_holder.h"
#include "bridge/tensor.h"
#include "host/stand_in/host_stand_in.h"
#include "tests/support/error_expectations.h"
#include "video/read/frame_layout.h"
#include "video/read/frame_numbers.h"
#include "video/read/frame_request.h"

using namespace TravexUtils;

namespace {

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
    // Numbers at the ends of the integer range land on no frame without
    // overflowing, and leave the last index alone.
    MTensor numbers = korvel::newHostTensor(MType_Integer, {6});
    long long* values = static_cast<long long*>(const_cast<void*>(korvel::tensorData(numbers)));
    const long long given[] = {3, 1, 3, 0, LLONG_MIN, LLONG_MAX};
    std::copy(std::begin(given), std::end(given), values);
    {
        const Tensor<long long> tensor(numbers);
        const PlannedRequest plan = planFromNumbers(tensor);
        EXPECT_EQ(plan.sliceCount, 6);
        EXPECT_EQ(plan.lastIndex, 2);
        EXPECT_FALSE(plan.storeCount);
        EXPECT_EQ(*plan.request.find(2), (FrameRequest::Slots{0, 2}));
        EXPECT_EQ(*plan.request.find(0), (FrameRequest::Slots{1}));
        EXPECT_EQ(*plan.request.find(-1), (FrameRequest::Slots{3}));  // number 0 matches no frame
        EXPECT_EQ(*plan.request.find(INT64_MIN), (FrameRequest::Slots{4}));
        EXPECT_EQ(*plan.request.find(INT64_MAX - 1), (FrameRequest::Slots{5}));
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

}  // namespace
