// GuardedBufferPool; see guarded_buffer_pool.h.
#include "platform/linux/guarded_buffer_pool.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace MorvalePlatform {

namespace {

// The pool's allocator: the buffer and its guard, the guard filled once.
AVBufferRef* allocateGuarded(void* /*opaque*/, size_t size) {
    AVBufferRef* buffer = av_buffer_alloc(size);
    if (buffer) std::memset(buffer->data + size - GuardedBufferPool::kGuardBytes, GuardedBufferPool::kGuardPattern,
                            GuardedBufferPool::kGuardBytes);
    return buffer;
}

}  // namespace

BufferRefPtr GuardedBufferPool::get(std::size_t size) {
    if (!pool_ || size_ != size) {
        pool_.reset(av_buffer_pool_init2(size + kGuardBytes, nullptr, allocateGuarded, nullptr));
        size_ = size;
        if (!pool_) return nullptr;
    }
    BufferRefPtr buffer(av_buffer_pool_get(pool_.get()));
    // The reference shows the usable bytes only; the guard lies beyond them.
    if (buffer) buffer->size = size;
    return buffer;
}

void GuardedBufferPool::checkGuard(const AVBufferRef& buffer, std::string_view writer) {
    const unsigned char* guard = buffer.data + buffer.size;
    if (std::all_of(guard, guard + kGuardBytes, [](unsigned char byte) { return byte == kGuardPattern; })) return;
    std::fprintf(stderr, "morvale: %.*s wrote past the end of a %zu-byte buffer\n", static_cast<int>(writer.size()),
                 writer.data(), buffer.size);
    std::abort();
}

}  // namespace MorvalePlatform
