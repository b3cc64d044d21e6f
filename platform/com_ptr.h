// ComPtr<T>: holds one COM reference and releases it when it goes. Taking the
// address (operator& or put()) is how a COM call fills it, and is only allowed
// while it is empty, so a call can never overwrite (and leak) a held
// reference. Not thread-safe; one owner at a time, like a unique_ptr that can
// also be copied (a copy adds a reference).
#pragma once

#include <stdexcept>
#include <utility>

#include "platform/media_foundation.h"

namespace MorvalePlatform {

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    ComPtr(const ComPtr& other) noexcept : pointer_(other.pointer_) {
        if (pointer_) pointer_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(const ComPtr& other) noexcept {
        ComPtr copy(other);
        swap(copy);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr moved(std::move(other));
        swap(moved);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) noexcept {
        reset();
        return *this;
    }

    // Takes over a reference the caller already owns (no AddRef).
    static ComPtr attach(T* pointer) noexcept {
        ComPtr result;
        result.pointer_ = pointer;
        return result;
    }
    // Shares a borrowed pointer (AddRef).
    static ComPtr share(T* pointer) noexcept {
        ComPtr result;
        result.pointer_ = pointer;
        if (pointer) pointer->AddRef();
        return result;
    }

    T* get() const noexcept { return pointer_; }
    T* operator->() const noexcept { return pointer_; }
    T& operator*() const noexcept { return *pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    // The slot a COM call writes its out-parameter into. Throws
    // std::logic_error when a reference is still held.
    T** put() {
        if (pointer_) throw std::logic_error("ComPtr: out-parameter slot taken while a reference is held");
        return &pointer_;
    }
    T** operator&() { return put(); }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // Gives the reference to the caller, who must release it.
    [[nodiscard]] T* detach() noexcept { return std::exchange(pointer_, nullptr); }

    void reset() noexcept {
        if (T* old = std::exchange(pointer_, nullptr)) old->Release();
    }
    void swap(ComPtr& other) noexcept { std::swap(pointer_, other.pointer_); }

private:
    T* pointer_ = nullptr;
};

}  // namespace MorvalePlatform
