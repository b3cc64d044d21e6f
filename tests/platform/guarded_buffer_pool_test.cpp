// Guard regions after converter output: a write past a buffer's end stops
// the process with the writer's name; buffers within their size pass.
#include <gtest/gtest.h>

#include <vector>

#include "platform/linux/guarded_buffer_pool.h"

namespace {

using MorvalePlatform::GuardedBufferPool;

// Recycled buffers keep their guard; another size starts a fresh pool while
// buffers of the first are still out.
TEST(GuardedBufferPool, BuffersShowTheirUsableSizeAndPassWhenWrittenUpToIt) {
    GuardedBufferPool pool;
    std::vector<MorvalePlatform::BufferRefPtr> held;
    for (const std::size_t size : {1000u, 1000u, 1000u, 16u, 4096u}) {
        auto buffer = pool.get(size);
        ASSERT_TRUE(buffer);
        EXPECT_EQ(buffer->size, size);
        std::fill(buffer->data, buffer->data + buffer->size, 0x5A);
        GuardedBufferPool::checkGuard(*buffer, "a test");
        if (size != 1000) held.push_back(std::move(buffer));
    }
    for (const auto& buffer : held) GuardedBufferPool::checkGuard(*buffer, "a test");
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

}  // namespace
