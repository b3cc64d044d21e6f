// BufferLock: locks an IMFMediaBuffer for reading or writing its bytes and
// unlocks it when it goes. unlock() reports the Unlock result for callers
// that check it; the destructor unlocks only a buffer still locked (after an
// exception, say) and ignores the result. Borrows the buffer: the caller
// keeps it alive for the guard's lifetime.
#pragma once

#include <utility>

#include "platform/media_foundation.h"

namespace MorvalePlatform {

class BufferLock {
public:
    explicit BufferLock(IMFMediaBuffer* buffer) noexcept : buffer_(buffer) {}
    BufferLock(const BufferLock&) = delete;
    BufferLock& operator=(const BufferLock&) = delete;
    ~BufferLock() {
        if (locked_) buffer_->Unlock();
    }

    // IMFMediaBuffer::Lock; the lengths are optional, as in the call itself.
    HRESULT lock(DWORD* maxLength = nullptr, DWORD* currentLength = nullptr) {
        if (locked_) return E_UNEXPECTED;
        HRESULT hr = buffer_->Lock(&data_, maxLength, currentLength);
        locked_ = SUCCEEDED(hr);
        if (!locked_) data_ = nullptr;
        return hr;
    }
    HRESULT unlock() {
        if (!locked_) return E_UNEXPECTED;
        locked_ = false;
        data_ = nullptr;
        return buffer_->Unlock();
    }

    BYTE* data() const noexcept { return data_; }
    bool locked() const noexcept { return locked_; }

private:
    IMFMediaBuffer* buffer_;
    BYTE* data_ = nullptr;
    bool locked_ = false;
};

}  // namespace MorvalePlatform
