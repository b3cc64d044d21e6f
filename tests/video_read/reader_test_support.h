// Shared set-up of the video reader tests: a fresh registry with the
// library's error tables, a clean platform test state, after each test no
// COM object or streaming thread left, and frame comparison.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bridge/library_errors.h"
#include "platform/linux/test_control.h"

namespace morvale_test {

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        TravexUtils::registerLibraryErrorTables();
        MorvalePlatform::TestControl::reset();
    }
    void TearDown() override {
        EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), 0) << "every COM object is released";
        EXPECT_EQ(MorvalePlatform::TestControl::liveStreamingThreads(), 0) << "every streaming thread ended";
    }
};

// Largest per-byte difference and mean absolute difference of two frames.
struct FrameDifference {
    int largest = 0;
    double mean = 0;
};

inline FrameDifference compareFrames(const uint8_t* a, const uint8_t* b, std::size_t bytes) {
    FrameDifference d;
    double sum = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        const int delta = std::abs(int{a[i]} - int{b[i]});
        d.largest = std::max(d.largest, delta);
        sum += delta;
    }
    d.mean = bytes ? sum / static_cast<double>(bytes) : 0;
    return d;
}

}  // namespace morvale_test
