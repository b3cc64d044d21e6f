// buildSample: the one place every output's samples are made, so what a
// part leaves out must stay out of the sample (no time, no duration) and
// what it holds must come through exactly (a zero time). Deferred frames are
// checked through the source reader (lazy_decoding_test.cpp).
#include <gtest/gtest.h>

#include <optional>

#include "platform/linux/stream_output.h"

using namespace MorvalePlatform;

namespace {

TEST(SampleParts, WhatAPartLeavesOutStaysOut) {
    struct Case {
        std::optional<LONGLONG> time;
        std::optional<LONGLONG> duration;
        bool cleanPoint;
    };
    const Case cases[] = {{0, 400000, true}, {std::nullopt, 400000, false}, {1200, std::nullopt, true},
                          {std::nullopt, std::nullopt, false}};
    for (const Case& c : cases) {
        SampleParts parts;
        parts.time = c.time;
        parts.duration = c.duration;
        parts.cleanPoint = c.cleanPoint;
        ComPtr<Sample> sample = buildSample(std::move(parts));
        LONGLONG value = -1;
        EXPECT_EQ(sample->GetSampleTime(&value), c.time ? S_OK : MF_E_NO_SAMPLE_TIMESTAMP);
        if (c.time) {
            EXPECT_EQ(value, *c.time);
        }
        EXPECT_EQ(sample->GetSampleDuration(&value), c.duration ? S_OK : MF_E_NO_SAMPLE_DURATION);
        if (c.duration) {
            EXPECT_EQ(value, *c.duration);
        }
        UINT32 clean = 7;
        EXPECT_EQ(sample->GetUINT32(MFSampleExtension_CleanPoint, &clean), S_OK);
        EXPECT_EQ(clean, c.cleanPoint ? 1u : 0u);
        DWORD buffers = 7;
        EXPECT_EQ(sample->GetBufferCount(&buffers), S_OK);
        EXPECT_EQ(buffers, 0u);
    }
}

}  // namespace
