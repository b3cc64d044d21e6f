// Guard regions after converter output: a write past a buffer's end stops
// the process with the writer's name; buffers within their size pass.
#include <gtest/gtest.h>

#include "platform/linux/guarded_buffer_pool.h"

namespace {

using MorvalePlatform::GuardedBufferPool;

TEST(GuardedBufferPool, BuffersShowTheirUsableSizeAndPassWhenWrittenUpToIt) {
    GuardedBufferPool pool;
    for (int round = 0; round < 3; ++round) {  // recycled buffers keep their guard
        auto buffer = pool.get(1000);
        ASSERT_TRUE(buffer);
        EXPECT_EQ(buffer->size, 1000u);
        std::fill(buffer->data, buffer->data + buffer->size, 0x5A);
        GuardedBufferPool::checkGuard(*buffer, "a test");
    }
}

TEST(GuardedBufferPoolDeathTest, AWritePastTheEndAbortsNamingTheWriter) {
    for (std::size_t past : {std::size_t{0}, GuardedBufferPool::kGuardBytes - 1}) {
        EXPECT_DEATH(
            {
                GuardedBufferPool pool;
                auto buffer = pool.get(64);
                buffer->data[buffer->size + past] = 0;
                GuardedBufferPool::checkGuard(*buffer, "the converter under test");
            },
            "the converter under test wrote past the end of a 64-byte buffer")
            << "byte " << past << " past the end";
    }
}

TEST(GuardedBufferPool, AnotherSizeStartsAFreshPool) {
    GuardedBufferPool pool;
    auto small = pool.get(16);
    auto large = pool.get(4096);
    ASSERT_TRUE(small && large);
    EXPECT_EQ(small->size, 16u);
    EXPECT_EQ(large->size, 4096u);
    std::fill(large->data, large->data + large->size, 0);
    GuardedBufferPool::checkGuard(*small, "a test");
    GuardedBufferPool::checkGuard(*large, "a test");
}

}  // namespace
