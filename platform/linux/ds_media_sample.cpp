// MediaSample; see ds_media_sample.h.
#include "platform/linux/ds_media_sample.h"

#include <new>

namespace MorvalePlatform {

ComPtr<MediaSample> MediaSample::create(FramePtr frame, std::shared_ptr<Bgr24Converter> converter,
                                        std::optional<Times> times, bool keyFrame) {
    return ComPtr<MediaSample>::attach(
        new (std::nothrow) MediaSample(std::move(frame), nullptr, nullptr, std::move(converter), times, keyFrame));
}

ComPtr<MediaSample> MediaSample::create(std::shared_ptr<LazyVideoDecoder> decoder, std::shared_ptr<FrameSlot> slot,
                                        std::shared_ptr<Bgr24Converter> converter, std::optional<Times> times,
                                        bool keyFrame) {
    return ComPtr<MediaSample>::attach(new (std::nothrow) MediaSample(
        nullptr, std::move(decoder), std::move(slot), std::move(converter), times, keyFrame));
}

MediaSample::MediaSample(FramePtr frame, std::shared_ptr<LazyVideoDecoder> decoder, std::shared_ptr<FrameSlot> slot,
                         std::shared_ptr<Bgr24Converter> converter, std::optional<Times> times, bool keyFrame) noexcept
    : decoder_(std::move(decoder)),
      slot_(std::move(slot)),
      frame_(std::move(frame)),
      converter_(std::move(converter)),
      times_(times),
      keyFrame_(keyFrame) {}

void* MediaSample::interfaceFor(REFIID riid) {
    if (riid == IID_IMediaSample) return static_cast<IMediaSample*>(this);
    return ComObject::interfaceFor(riid);
}

HRESULT MediaSample::GetPointer(BYTE** ppBuffer) {
    MORVALE_INSTRUMENTED_CALL("IMediaSample::GetPointer");
    if (!ppBuffer) return E_POINTER;
    *ppBuffer = nullptr;
    std::lock_guard lock(mutex_);
    if (decoder_) {
        if (HRESULT hr = decoder_->takeFrame(*slot_, frame_); FAILED(hr)) return hr;
        decoder_.reset();
        slot_.reset();
    }
    if (frame_) {
        try {
            pixels_.resize(converter_->bytes());
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        if (HRESULT hr = converter_->convert(*frame_, pixels_.data()); FAILED(hr)) return hr;
        frame_.reset();
    }
    *ppBuffer = pixels_.data();
    return S_OK;
}

LONG MediaSample::GetSize() { return static_cast<LONG>(converter_->bytes()); }

LONG MediaSample::GetActualDataLength() { return static_cast<LONG>(converter_->bytes()); }

HRESULT MediaSample::GetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) {
    MORVALE_INSTRUMENTED_CALL("IMediaSample::GetTime");
    if (!pTimeStart || !pTimeEnd) return E_POINTER;
    if (!times_) return VFW_E_SAMPLE_TIME_NOT_SET;
    *pTimeStart = times_->start;
    *pTimeEnd = times_->stop;
    return S_OK;
}

HRESULT MediaSample::IsSyncPoint() { return keyFrame_ ? S_OK : S_FALSE; }
HRESULT MediaSample::IsPreroll() { return S_FALSE; }
HRESULT MediaSample::IsDiscontinuity() { return S_FALSE; }

HRESULT MediaSample::GetMediaType(AM_MEDIA_TYPE** ppMediaType) {
    if (!ppMediaType) return E_POINTER;
    *ppMediaType = nullptr;  // the type has not changed since the connection
    return S_FALSE;
}

HRESULT MediaSample::GetMediaTime(LONGLONG*, LONGLONG*) { return VFW_E_MEDIA_TIME_NOT_SET; }

// Samples handed to the grabber's callback are read-only here.
HRESULT MediaSample::SetTime(REFERENCE_TIME*, REFERENCE_TIME*) { return E_NOTIMPL; }
HRESULT MediaSample::SetSyncPoint(BOOL) { return E_NOTIMPL; }
HRESULT MediaSample::SetPreroll(BOOL) { return E_NOTIMPL; }
HRESULT MediaSample::SetActualDataLength(LONG) { return E_NOTIMPL; }
HRESULT MediaSample::SetMediaType(AM_MEDIA_TYPE*) { return E_NOTIMPL; }
HRESULT MediaSample::SetDiscontinuity(BOOL) { return E_NOTIMPL; }
HRESULT MediaSample::SetMediaTime(LONGLONG*, LONGLONG*) { return E_NOTIMPL; }

}  // namespace MorvalePlatform
