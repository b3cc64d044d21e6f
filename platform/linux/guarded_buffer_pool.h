// GuardedBufferPool: recycled buffers for code we cannot instrument (FFmpeg's
// converters write into them). Every buffer is followed by a guard region
// filled with a pattern when the memory is allocated; checkGuard() after each
// write into a buffer aborts the process, naming the writer, if anything
// landed past its end. AddressSanitizer cannot see those writes, and a heap
// overflow found this way is a bug to fix, not an error to report. The
// check compares a few hundred bytes per buffer.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/linux/ffmpeg_handles.h"

namespace MorvalePlatform {

class GuardedBufferPool {
public:
    static constexpr std::size_t kGuardBytes = 256;
    static constexpr unsigned char kGuardPattern = 0xA5;

    // A buffer of size usable bytes (its AVBufferRef's size) with the guard
    // after them; null when out of memory. Buffers of one size are recycled;
    // asking for another size starts a new pool.
    BufferRefPtr get(std::size_t size);

    // Aborts with a message naming the writer when the guard after the
    // buffer's size bytes is not intact.
    static void checkGuard(const AVBufferRef& buffer, std::string_view writer);

private:
    BufferPoolPtr pool_;
    std::size_t size_ = 0;
};

}  // namespace MorvalePlatform
