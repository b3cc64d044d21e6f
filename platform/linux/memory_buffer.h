// MemoryBuffer: IMFMediaBuffer over one contiguous block of memory held as an
// AVBufferRef, so decoded frames can be converted into pooled memory without
// copying. Lock may be called several times; every Lock needs an Unlock.
#pragma once

#include <mutex>

#include "platform/com_ptr.h"
#include "platform/linux/com_object.h"
#include "platform/linux/ffmpeg_handles.h"

namespace MorvalePlatform {

class MemoryBuffer final : public ComObject<IMFMediaBuffer> {
public:
    // A buffer of maxLength bytes with current length 0; null when out of
    // memory.
    static ComPtr<MemoryBuffer> create(DWORD maxLength);
    // A buffer over existing memory (its whole size is the maximum length).
    static ComPtr<MemoryBuffer> wrap(BufferRefPtr memory, DWORD currentLength);

    HRESULT STDMETHODCALLTYPE Lock(BYTE** ppbBuffer, DWORD* pcbMaxLength, DWORD* pcbCurrentLength) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetCurrentLength(DWORD* pcbCurrentLength) override;
    HRESULT STDMETHODCALLTYPE SetCurrentLength(DWORD cbCurrentLength) override;
    HRESULT STDMETHODCALLTYPE GetMaxLength(DWORD* pcbMaxLength) override;

    // Direct access for the implementation (no lock, no instrumentation).
    BYTE* data() const noexcept { return memory_->data; }
    DWORD currentLength() const noexcept { return currentLength_; }

protected:
    void* interfaceFor(REFIID riid) override;

private:
    MemoryBuffer(BufferRefPtr memory, DWORD currentLength) noexcept;

    std::mutex mutex_;
    BufferRefPtr memory_;
    DWORD currentLength_;
    int locks_ = 0;
};

}  // namespace MorvalePlatform
