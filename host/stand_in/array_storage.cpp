#include "host/stand_in/array_storage.h"

#include <cstdlib>
#include <new>
#include <utility>

#ifndef _WIN32
#include <sys/mman.h>
#endif

namespace korvel {
namespace {
constexpr std::size_t kMapThreshold = std::size_t{4} << 20;
}

ArrayStorage::ArrayStorage(std::size_t bytes) {
#ifndef _WIN32
    if (bytes >= kMapThreshold) {
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
        munmap(data_, mappedBytes_);
        data_ = nullptr;
        return;
    }
#endif
    std::free(data_);
    data_ = nullptr;
}

}  // namespace korvel
