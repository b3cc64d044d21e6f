// Zero-filled, suitably aligned storage for the stand-in host's arrays. Large
// arrays (video frame blocks run to gigabytes) are mapped fresh from the
// system and, on Linux, backed by huge pages where the kernel allows, the way
// a host kernel's allocator serves big arrays; small ones come from calloc.
#pragma once

#include <cstddef>

namespace korvel {

class ArrayStorage {
public:
    ArrayStorage() = default;
    explicit ArrayStorage(std::size_t bytes);
    ArrayStorage(const ArrayStorage&) = delete;
    ArrayStorage& operator=(const ArrayStorage&) = delete;
    ArrayStorage(ArrayStorage&& other) noexcept;
    ArrayStorage& operator=(ArrayStorage&& other) noexcept;
    ~ArrayStorage();

    void* data() const noexcept { return data_; }

private:
    void release() noexcept;

    void* data_ = nullptr;
    std::size_t mappedBytes_ = 0;  // non-zero when mapped rather than calloc'd
};

}  // namespace korvel
