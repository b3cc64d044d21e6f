// Sample: IMFSample with a time, a duration and a list of buffers. A sample
// from the source reader may hold a deferred buffer instead: the decoded
// frame it will become. The frame is produced (converted to RGB) only when a
// caller asks for a buffer's bytes (ConvertToContiguousBuffer,
// GetBufferByIndex, CopyToBuffer, AddBuffer, RemoveBufferByIndex); asking
// for the count or the total length does not produce it, and a sample
// released unseen never converts.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/linux/attributes_impl.h"

namespace MorvalePlatform {

// Produces a sample's single buffer on first demand. Called at most once,
// under the sample's lock.
class DeferredBuffer {
public:
    virtual ~DeferredBuffer() = default;
    // Bytes the buffer will have.
    virtual DWORD length() const = 0;
    // The buffer, or a failure result.
    virtual HRESULT produce(ComPtr<IMFMediaBuffer>& buffer) = 0;
};

class Sample final : public AttributesImpl<IMFSample> {
public:
    static ComPtr<Sample> create();

    // Implementation-side setters (not instrumented).
    void setTime(LONGLONG time) noexcept;
    void setDuration(LONGLONG duration) noexcept;
    void setDeferredBuffer(std::unique_ptr<DeferredBuffer> deferred);

    HRESULT STDMETHODCALLTYPE GetSampleFlags(DWORD* pdwSampleFlags) override;
    HRESULT STDMETHODCALLTYPE SetSampleFlags(DWORD dwSampleFlags) override;
    HRESULT STDMETHODCALLTYPE GetSampleTime(LONGLONG* phnsSampleTime) override;
    HRESULT STDMETHODCALLTYPE SetSampleTime(LONGLONG hnsSampleTime) override;
    HRESULT STDMETHODCALLTYPE GetSampleDuration(LONGLONG* phnsSampleDuration) override;
    HRESULT STDMETHODCALLTYPE SetSampleDuration(LONGLONG hnsSampleDuration) override;
    HRESULT STDMETHODCALLTYPE GetBufferCount(DWORD* pdwBufferCount) override;
    HRESULT STDMETHODCALLTYPE GetBufferByIndex(DWORD dwIndex, IMFMediaBuffer** ppBuffer) override;
    HRESULT STDMETHODCALLTYPE ConvertToContiguousBuffer(IMFMediaBuffer** ppBuffer) override;
    HRESULT STDMETHODCALLTYPE AddBuffer(IMFMediaBuffer* pBuffer) override;
    HRESULT STDMETHODCALLTYPE RemoveBufferByIndex(DWORD dwIndex) override;
    HRESULT STDMETHODCALLTYPE RemoveAllBuffers() override;
    HRESULT STDMETHODCALLTYPE GetTotalLength(DWORD* pcbTotalLength) override;
    HRESULT STDMETHODCALLTYPE CopyToBuffer(IMFMediaBuffer* pBuffer) override;

protected:
    void* interfaceFor(REFIID riid) override;

private:
    Sample() = default;
    // Turns a deferred buffer into the first real one. Needs mutex_.
    HRESULT produceDeferred();
    DWORD totalLength() const;

    std::mutex mutex_;
    DWORD flags_ = 0;
    std::optional<LONGLONG> time_;
    std::optional<LONGLONG> duration_;
    std::vector<ComPtr<IMFMediaBuffer>> buffers_;
    std::unique_ptr<DeferredBuffer> deferred_;
};

}  // namespace MorvalePlatform
