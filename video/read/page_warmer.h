// PageWarmer: while a sequential read fills a large destination frame by
// frame, a helper thread has the system map the destination's pages ahead
// of the copy. Memory a host has just allocated is mapped on first touch,
// the kernel zeroing every page then; done by the copy, that work stalls
// the thread that also converts frames while the decoder's threads wait for
// it, done ahead it overlaps decoding. The contents are never touched (the
// system prefaults pages without writing to them). Linux only; elsewhere,
// and for small destinations, it does nothing.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

namespace TravexUtils {

class PageWarmer {
public:
    // Destinations smaller than this are left to the copy.
    static constexpr std::size_t kMinimumBytes = std::size_t{64} << 20;

    PageWarmer(uint8_t* begin, std::size_t bytes);
    // Stops the helper (between two steps) and waits for it.
    ~PageWarmer();
    PageWarmer(const PageWarmer&) = delete;
    PageWarmer& operator=(const PageWarmer&) = delete;

private:
    void run(uint8_t* begin, std::size_t bytes);

    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace TravexUtils
