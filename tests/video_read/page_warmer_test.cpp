// The page warmer maps a destination's pages while the copy writes into it:
// whatever the copy wrote, before or during the warming, must stay.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstring>

#include "video/read/page_warmer.h"

namespace {

using TravexUtils::PageWarmer;

// Fresh anonymous memory, as a host maps a large result array.
class FreshMapping {
public:
    explicit FreshMapping(std::size_t bytes)
        : bytes_(bytes),
          data_(static_cast<uint8_t*>(mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0))) {}
    ~FreshMapping() {
        if (data_ != MAP_FAILED) munmap(data_, bytes_);
    }
    FreshMapping(const FreshMapping&) = delete;
    FreshMapping& operator=(const FreshMapping&) = delete;
    uint8_t* data() const { return data_; }
    bool ok() const { return data_ != MAP_FAILED; }

private:
    std::size_t bytes_;
    uint8_t* data_;
};

TEST(PageWarmer, WhatTheCopyWritesWhileWarmingStays) {
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    constexpr std::size_t kBytes = PageWarmer::kMinimumBytes + 33 * kChunk;
    FreshMapping mapping(kBytes + 4096);
    ASSERT_TRUE(mapping.ok());
    // An unaligned start, as a destination inside a host array may have, and
    // a first chunk written before the warmer starts.
    uint8_t* const destination = mapping.data() + 3;
    std::memset(destination, 0xC3, kChunk);
    {
        const PageWarmer warmer(destination, kBytes);
        for (std::size_t at = kChunk; at < kBytes; at += kChunk) {
            std::memset(destination + at, static_cast<int>(at / kChunk % 251), kChunk);
        }
    }
    EXPECT_EQ(mapping.data()[0], 0) << "bytes before the destination are untouched";
    for (std::size_t at = 0; at < kBytes; at += kChunk) {
        const uint8_t expected = at == 0 ? 0xC3 : static_cast<uint8_t>(at / kChunk % 251);
        for (std::size_t i = 0; i < kChunk; i += 4093) {
            ASSERT_EQ(destination[at + i], expected) << "byte " << at + i;
        }
        ASSERT_EQ(destination[at + kChunk - 1], expected) << "last byte of chunk at " << at;
    }
}

}  // namespace
