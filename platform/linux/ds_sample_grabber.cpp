// SampleGrabber; see ds_filters.h.
#include <new>

#include "platform/linux/ds_filters.h"
#include "platform/linux/frame_size_limits.h"
#include "platform/linux/test_hooks.h"

namespace MorvalePlatform {

namespace {

bool matches(const GUID& wanted, const GUID& offered) { return wanted == GUID_NULL || wanted == offered; }

}  // namespace

ComPtr<SampleGrabber> SampleGrabber::create() {
    return ComPtr<SampleGrabber>::attach(new (std::nothrow) SampleGrabber());
}

SampleGrabber::SampleGrabber() : FilterBase(CLSID_SampleGrabber) {
    input_ = &addPin(Pin::Kind::GrabberInput, L"Input");
    output_ = &addPin(Pin::Kind::GrabberOutput, L"Output");
}

void* SampleGrabber::interfaceFor(REFIID riid) {
    if (riid == IID_ISampleGrabber) return static_cast<ISampleGrabber*>(this);
    return FilterBase::interfaceFor(riid);
}

bool SampleGrabber::accepts(const OpenedFile::StreamFacts& stream) const {
    if (!stream.video) return false;
    const VIDEOINFOHEADER* header = stream.type.videoInfo();
    if (!header) return false;
    const LONG width = header->bmiHeader.biWidth;
    const LONG height = header->bmiHeader.biHeight;
    if (width <= 0 || height <= 0 || !FrameSizeLimits::accepts(width, height)) return false;
    std::lock_guard lock(mutex_);
    return matches(wanted_.majortype, MEDIATYPE_Video) && matches(wanted_.subtype, MEDIASUBTYPE_RGB24) &&
           matches(wanted_.formattype, FORMAT_VideoInfo);
}

void SampleGrabber::inputDisconnecting(Pin&) { route_.reset(); }

SampleGrabber::Delivery SampleGrabber::delivery() const {
    std::lock_guard lock(mutex_);
    return delivery_;
}

HRESULT SampleGrabber::SetOneShot(BOOL OneShot) {
    MORVALE_INSTRUMENTED_CALL("ISampleGrabber::SetOneShot");
    std::lock_guard lock(mutex_);
    delivery_.oneShot = OneShot != FALSE;
    return S_OK;
}

HRESULT SampleGrabber::SetMediaType(const AM_MEDIA_TYPE* pType) {
    MORVALE_INSTRUMENTED_CALL("ISampleGrabber::SetMediaType");
    if (!pType) return E_POINTER;
    std::lock_guard lock(mutex_);
    wanted_ = MediaTypeValue::of(*pType);
    return S_OK;
}

HRESULT SampleGrabber::GetConnectedMediaType(AM_MEDIA_TYPE* pType) {
    if (!pType) return E_POINTER;
    return input_->ConnectionMediaType(pType);
}

HRESULT SampleGrabber::SetBufferSamples(BOOL BufferThem) {
    MORVALE_INSTRUMENTED_CALL("ISampleGrabber::SetBufferSamples");
    // Buffered samples (GetCurrentBuffer) are not kept by this grabber.
    return BufferThem ? E_NOTIMPL : S_OK;
}

HRESULT SampleGrabber::GetCurrentBuffer(LONG*, LONG*) { return E_NOTIMPL; }
HRESULT SampleGrabber::GetCurrentSample(IMediaSample**) { return E_NOTIMPL; }

HRESULT SampleGrabber::SetCallback(ISampleGrabberCB* pCallback, LONG WhichMethodToCallback) {
    MORVALE_INSTRUMENTED_CALL("ISampleGrabber::SetCallback");
    if (WhichMethodToCallback != 0 && WhichMethodToCallback != 1) return E_INVALIDARG;
    std::lock_guard lock(mutex_);
    delivery_.callback = ComPtr<ISampleGrabberCB>::share(pCallback);
    delivery_.method = WhichMethodToCallback;
    return S_OK;
}

}  // namespace MorvalePlatform
