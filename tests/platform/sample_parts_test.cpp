// buildSample: the one place every output's samples are made, so what a
// part leaves out must stay out of the sample (no time, no duration) and
// what it holds must come through exactly (a zero time, a deferred frame
// that is produced only when asked for).
#include <gtest/gtest.h>

#include <optional>

#include "platform/linux/memory_buffer.h"
#include "platform/linux/stream_output.h"
#include "platform/linux/test_control.h"

using namespace MorvalePlatform;

namespace {

class CountingDeferred final : public DeferredBuffer {
public:
    explicit CountingDeferred(int& produced) : produced_(produced) {}
    DWORD length() const override { return 16; }
    HRESULT produce(ComPtr<IMFMediaBuffer>& buffer) override {
        ++produced_;
        buffer = ComPtr<IMFMediaBuffer>::attach(MemoryBuffer::create(16).detach());
        return S_OK;
    }

private:
    int& produced_;
};

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

TEST(SampleParts, BuffersComeThroughAndDeferredOnesWaitUntilAskedFor) {
    const long before = TestControl::liveObjects();
    {
        SampleParts parts;
        parts.buffer = ComPtr<IMFMediaBuffer>::attach(MemoryBuffer::create(32).detach());
        ComPtr<Sample> sample = buildSample(std::move(parts));
        DWORD total = 0;
        EXPECT_EQ(sample->GetTotalLength(&total), S_OK);
        EXPECT_EQ(total, 0u) << "a new buffer holds no bytes yet";
        DWORD buffers = 0;
        sample->GetBufferCount(&buffers);
        EXPECT_EQ(buffers, 1u);
    }
    int produced = 0;
    {
        SampleParts parts;
        parts.deferred = std::make_unique<CountingDeferred>(produced);
        ComPtr<Sample> sample = buildSample(std::move(parts));
        DWORD total = 0;
        EXPECT_EQ(sample->GetTotalLength(&total), S_OK);
        EXPECT_EQ(produced, 0) << "the length alone does not produce the frame";
        ComPtr<IMFMediaBuffer> buffer;
        EXPECT_EQ(sample->ConvertToContiguousBuffer(&buffer), S_OK);
        EXPECT_EQ(produced, 1);
    }
    EXPECT_EQ(TestControl::liveObjects(), before) << "the sample and its buffers are released";
}

}  // namespace
