#include "video/read/page_warmer.h"

#include <algorithm>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace TravexUtils {

namespace {

constexpr std::size_t kStepBytes = std::size_t{16} << 20;

}  // namespace

PageWarmer::PageWarmer(uint8_t* begin, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    if (begin != nullptr && bytes >= kMinimumBytes) thread_ = std::thread([this, begin, bytes] { run(begin, bytes); });
#else
    (void)begin;
    (void)bytes;
#endif
}

PageWarmer::~PageWarmer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void PageWarmer::run(uint8_t* begin, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    // Whole pages inside the destination only; the copy maps the partial
    // ones at either end itself.
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(begin) + page - 1) / page * page;
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(begin) + bytes) / page * page;
    for (std::uintptr_t at = first; at < end && !stop_; at += kStepBytes) {
        const std::size_t length = static_cast<std::size_t>(std::min<std::uintptr_t>(kStepBytes, end - at));
        // Fails on kernels without it, or memory that cannot be prefaulted:
        // the copy then maps the pages as before.
        if (madvise(reinterpret_cast<void*>(at), length, MADV_POPULATE_WRITE) != 0) return;
    }
#else
    (void)begin;
    (void)bytes;
#endif
}

}  // namespace TravexUtils
