// Sample and MFCreateSample.
#include "platform/linux/sample.h"

#include <cstring>

#include "platform/linux/memory_buffer.h"
#include "platform/linux/test_hooks.h"

namespace MorvalePlatform {

ComPtr<Sample> Sample::create() { return ComPtr<Sample>::attach(new Sample()); }

void Sample::setTime(LONGLONG time) noexcept {
    std::lock_guard lock(mutex_);
    time_ = time;
}

void Sample::setDuration(LONGLONG duration) noexcept {
    std::lock_guard lock(mutex_);
    duration_ = duration;
}

void Sample::setDeferredBuffer(std::unique_ptr<DeferredBuffer> deferred) {
    std::lock_guard lock(mutex_);
    deferred_ = std::move(deferred);
}

HRESULT Sample::produceDeferred() {
    if (!deferred_) return S_OK;
    ComPtr<IMFMediaBuffer> buffer;
    if (HRESULT hr = deferred_->produce(buffer); FAILED(hr)) return hr;
    deferred_.reset();
    buffers_.insert(buffers_.begin(), std::move(buffer));
    return S_OK;
}

DWORD Sample::totalLength() const {
    Hooks::InternalCalls internal;
    DWORD total = deferred_ ? deferred_->length() : 0;
    for (const auto& buffer : buffers_) {
        DWORD length = 0;
        buffer->GetCurrentLength(&length);
        total += length;
    }
    return total;
}

HRESULT Sample::GetSampleFlags(DWORD* pdwSampleFlags) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::GetSampleFlags");
    if (!pdwSampleFlags) return E_POINTER;
    std::lock_guard lock(mutex_);
    *pdwSampleFlags = flags_;
    return S_OK;
}

HRESULT Sample::SetSampleFlags(DWORD dwSampleFlags) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::SetSampleFlags");
    std::lock_guard lock(mutex_);
    flags_ = dwSampleFlags;
    return S_OK;
}

HRESULT Sample::GetSampleTime(LONGLONG* phnsSampleTime) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::GetSampleTime");
    if (!phnsSampleTime) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (!time_) return MF_E_NO_SAMPLE_TIMESTAMP;
    *phnsSampleTime = *time_;
    return S_OK;
}

HRESULT Sample::SetSampleTime(LONGLONG hnsSampleTime) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::SetSampleTime");
    setTime(hnsSampleTime);
    return S_OK;
}

HRESULT Sample::GetSampleDuration(LONGLONG* phnsSampleDuration) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::GetSampleDuration");
    if (!phnsSampleDuration) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (!duration_) return MF_E_NO_SAMPLE_DURATION;
    *phnsSampleDuration = *duration_;
    return S_OK;
}

HRESULT Sample::SetSampleDuration(LONGLONG hnsSampleDuration) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::SetSampleDuration");
    setDuration(hnsSampleDuration);
    return S_OK;
}

HRESULT Sample::GetBufferCount(DWORD* pdwBufferCount) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::GetBufferCount");
    if (!pdwBufferCount) return E_POINTER;
    std::lock_guard lock(mutex_);
    *pdwBufferCount = static_cast<DWORD>(buffers_.size()) + (deferred_ ? 1 : 0);
    return S_OK;
}

HRESULT Sample::GetBufferByIndex(DWORD dwIndex, IMFMediaBuffer** ppBuffer) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::GetBufferByIndex");
    if (!ppBuffer) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (HRESULT hr = produceDeferred(); FAILED(hr)) return hr;
    if (dwIndex >= buffers_.size()) return E_INVALIDARG;
    *ppBuffer = ComPtr<IMFMediaBuffer>(buffers_[dwIndex]).detach();
    return S_OK;
}

HRESULT Sample::ConvertToContiguousBuffer(IMFMediaBuffer** ppBuffer) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::ConvertToContiguousBuffer");
    if (!ppBuffer) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (HRESULT hr = produceDeferred(); FAILED(hr)) return hr;
    if (buffers_.empty()) return E_UNEXPECTED;
    if (buffers_.size() > 1) {
        // Several buffers become one, which then replaces them in the sample.
        auto joined = MemoryBuffer::create(totalLength());
        if (!joined) return E_OUTOFMEMORY;
        DWORD offset = 0;
        Hooks::InternalCalls internal;
        for (const auto& buffer : buffers_) {
            BYTE* data = nullptr;
            DWORD length = 0;
            if (HRESULT hr = buffer->Lock(&data, nullptr, &length); FAILED(hr)) return hr;
            std::memcpy(joined->data() + offset, data, length);
            buffer->Unlock();
            offset += length;
        }
        joined->SetCurrentLength(offset);
        buffers_.clear();
        buffers_.emplace_back(ComPtr<IMFMediaBuffer>::attach(joined.detach()));
    }
    *ppBuffer = ComPtr<IMFMediaBuffer>(buffers_.front()).detach();
    return S_OK;
}

HRESULT Sample::AddBuffer(IMFMediaBuffer* pBuffer) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::AddBuffer");
    if (!pBuffer) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (HRESULT hr = produceDeferred(); FAILED(hr)) return hr;
    buffers_.push_back(ComPtr<IMFMediaBuffer>::share(pBuffer));
    return S_OK;
}

HRESULT Sample::RemoveBufferByIndex(DWORD dwIndex) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::RemoveBufferByIndex");
    std::lock_guard lock(mutex_);
    if (HRESULT hr = produceDeferred(); FAILED(hr)) return hr;
    if (dwIndex >= buffers_.size()) return E_INVALIDARG;
    buffers_.erase(buffers_.begin() + dwIndex);
    return S_OK;
}

HRESULT Sample::RemoveAllBuffers() {
    MORVALE_INSTRUMENTED_CALL("IMFSample::RemoveAllBuffers");
    std::lock_guard lock(mutex_);
    deferred_.reset();
    buffers_.clear();
    return S_OK;
}

HRESULT Sample::GetTotalLength(DWORD* pcbTotalLength) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::GetTotalLength");
    if (!pcbTotalLength) return E_POINTER;
    std::lock_guard lock(mutex_);
    *pcbTotalLength = totalLength();
    return S_OK;
}

HRESULT Sample::CopyToBuffer(IMFMediaBuffer* pBuffer) {
    MORVALE_INSTRUMENTED_CALL("IMFSample::CopyToBuffer");
    if (!pBuffer) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (HRESULT hr = produceDeferred(); FAILED(hr)) return hr;
    Hooks::InternalCalls internal;
    BYTE* destination = nullptr;
    DWORD capacity = 0;
    if (HRESULT hr = pBuffer->Lock(&destination, &capacity, nullptr); FAILED(hr)) return hr;
    const DWORD total = totalLength();
    if (total > capacity) {
        pBuffer->Unlock();
        return MF_E_BUFFERTOOSMALL;
    }
    DWORD offset = 0;
    for (const auto& buffer : buffers_) {
        BYTE* data = nullptr;
        DWORD length = 0;
        if (SUCCEEDED(buffer->Lock(&data, nullptr, &length))) {
            std::memcpy(destination + offset, data, length);
            buffer->Unlock();
            offset += length;
        }
    }
    pBuffer->Unlock();
    return pBuffer->SetCurrentLength(offset);
}

void* Sample::interfaceFor(REFIID riid) {
    if (riid == IID_IMFSample) return static_cast<IMFSample*>(this);
    return AttributesImpl<IMFSample>::interfaceFor(riid);
}

}  // namespace MorvalePlatform

extern "C" HRESULT MFCreateSample(IMFSample** ppIMFSample) {
    MORVALE_INSTRUMENTED_CALL("MFCreateSample");
    if (!ppIMFSample) return E_POINTER;
    *ppIMFSample = MorvalePlatform::Sample::create().detach();
    return S_OK;
}
