// MemoryBuffer and MFCreateMemoryBuffer.
#include "platform/linux/memory_buffer.h"

#include "platform/linux/test_hooks.h"

namespace MorvalePlatform {

namespace {

const HRESULT kNotLocked = HRESULT_FROM_WIN32(158);  // ERROR_NOT_LOCKED

}  // namespace

MemoryBuffer::MemoryBuffer(BufferRefPtr memory, DWORD currentLength) noexcept
    : memory_(std::move(memory)), currentLength_(currentLength) {}

ComPtr<MemoryBuffer> MemoryBuffer::create(DWORD maxLength) {
    BufferRefPtr memory(av_buffer_alloc(maxLength == 0 ? 1 : maxLength));
    if (!memory) return nullptr;
    return ComPtr<MemoryBuffer>::attach(new MemoryBuffer(std::move(memory), 0));
}

ComPtr<MemoryBuffer> MemoryBuffer::wrap(BufferRefPtr memory, DWORD currentLength) {
    return ComPtr<MemoryBuffer>::attach(new MemoryBuffer(std::move(memory), currentLength));
}

HRESULT MemoryBuffer::Lock(BYTE** ppbBuffer, DWORD* pcbMaxLength, DWORD* pcbCurrentLength) {
    MORVALE_INSTRUMENTED_CALL("IMFMediaBuffer::Lock");
    if (!ppbBuffer) return E_POINTER;
    std::lock_guard lock(mutex_);
    ++locks_;
    *ppbBuffer = memory_->data;
    if (pcbMaxLength) *pcbMaxLength = static_cast<DWORD>(memory_->size);
    if (pcbCurrentLength) *pcbCurrentLength = currentLength_;
    return S_OK;
}

HRESULT MemoryBuffer::Unlock() {
    MORVALE_INSTRUMENTED_CALL("IMFMediaBuffer::Unlock");
    std::lock_guard lock(mutex_);
    if (locks_ == 0) return kNotLocked;
    --locks_;
    return S_OK;
}

HRESULT MemoryBuffer::GetCurrentLength(DWORD* pcbCurrentLength) {
    MORVALE_INSTRUMENTED_CALL("IMFMediaBuffer::GetCurrentLength");
    if (!pcbCurrentLength) return E_POINTER;
    std::lock_guard lock(mutex_);
    *pcbCurrentLength = currentLength_;
    return S_OK;
}

HRESULT MemoryBuffer::SetCurrentLength(DWORD cbCurrentLength) {
    MORVALE_INSTRUMENTED_CALL("IMFMediaBuffer::SetCurrentLength");
    std::lock_guard lock(mutex_);
    if (cbCurrentLength > memory_->size) return E_INVALIDARG;
    currentLength_ = cbCurrentLength;
    return S_OK;
}

HRESULT MemoryBuffer::GetMaxLength(DWORD* pcbMaxLength) {
    MORVALE_INSTRUMENTED_CALL("IMFMediaBuffer::GetMaxLength");
    if (!pcbMaxLength) return E_POINTER;
    *pcbMaxLength = static_cast<DWORD>(memory_->size);
    return S_OK;
}

void* MemoryBuffer::interfaceFor(REFIID riid) {
    if (riid == IID_IMFMediaBuffer) return static_cast<IMFMediaBuffer*>(this);
    return ComObject<IMFMediaBuffer>::interfaceFor(riid);
}

}  // namespace MorvalePlatform

extern "C" HRESULT MFCreateMemoryBuffer(DWORD cbMaxLength, IMFMediaBuffer** ppBuffer) {
    MORVALE_INSTRUMENTED_CALL("MFCreateMemoryBuffer");
    if (!ppBuffer) return E_POINTER;
    auto buffer = MorvalePlatform::MemoryBuffer::create(cbMaxLength);
    if (!buffer) return E_OUTOFMEMORY;
    *ppBuffer = buffer.detach();
    return S_OK;
}
