#include "host/stand_in/array_storage.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>
#include <new>
#include <utility>

#ifndef _WIN32
#include <sys/mman.h>
#endif

namespace korvel {
namespace {
constexpr std::size_t kMapThreshold = std::size_t{4} << 20;

#ifndef _WIN32
// Recently released large mappings, kept for the next array of the same
// size (a frame-by-frame reader asks for one frame-sized image per call), as
// a host's allocator keeps freed memory. Bounded; the host is single-threaded
// but the lock keeps the stand-in safe anyway.
class MappingCache {
public:
    void* take(std::size_t bytes) {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < kept_.size(); ++i) {
            if (kept_[i].second == bytes) {
                void* p = kept_[i].first;
                keptBytes_ -= bytes;
                kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(i));
                return p;
            }
        }
        return nullptr;
    }
    bool keep(void* p, std::size_t bytes) {
        std::lock_guard lock(mutex_);
        if (keptBytes_ + bytes > kLimit) return false;
        kept_.emplace_back(p, bytes);
        keptBytes_ += bytes;
        return true;
    }

private:
    static constexpr std::size_t kLimit = std::size_t{64} << 20;
    std::mutex mutex_;
    std::vector<std::pair<void*, std::size_t>> kept_;
    std::size_t keptBytes_ = 0;
};

MappingCache& mappingCache() {
    static MappingCache cache;
    return cache;
}
#endif
}  // namespace

ArrayStorage::ArrayStorage(std::size_t bytes) {
#ifndef _WIN32
    if (bytes >= kMapThreshold) {
        if (void* reused = mappingCache().take(bytes)) {
            std::memset(reused, 0, bytes);
            data_ = reused;
            mappedBytes_ = bytes;
            return;
        }
        void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        madvise(p, bytes, MADV_HUGEPAGE);  // a hint; fewer page faults when granted
        data_ = p;
        mappedBytes_ = bytes;
        return;
    }
#endif
    data_ = std::calloc(bytes > 0 ? bytes : 1, 1);
    if (data_ == nullptr) throw std::bad_alloc();
}

ArrayStorage::ArrayStorage(ArrayStorage&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), mappedBytes_(std::exchange(other.mappedBytes_, 0)) {}

ArrayStorage& ArrayStorage::operator=(ArrayStorage&& other) noexcept {
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        mappedBytes_ = std::exchange(other.mappedBytes_, 0);
    }
    return *this;
}

ArrayStorage::~ArrayStorage() { release(); }

void ArrayStorage::release() noexcept {
    if (data_ == nullptr) return;
#ifndef _WIN32
    if (mappedBytes_ != 0) {
        if (!mappingCache().keep(data_, mappedBytes_)) munmap(data_, mappedBytes_);
        data_ = nullptr;
        return;
    }
#endif
    std::free(data_);
    data_ = nullptr;
}

}  // namespace korvel
