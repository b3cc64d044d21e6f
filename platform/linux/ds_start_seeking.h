// StartSeeking: the IMediaSeeking of the graph and of the splitters' stream
// pins. Times are in 100 ns (TIME_FORMAT_MEDIA_TIME, the only format).
// GetDuration reports the duration the derived object knows; SetPositions
// takes the current position 0 (absolute) with no stop position, which goes
// back to the start, and AM_SEEKING_NoPositioning, which changes nothing.
// Other positions and stop positions are E_NOTIMPL: the Linux graph only
// plays from the start. Rates other than 1 are E_NOTIMPL too.
#pragma once

#include "platform/direct_show.h"

namespace MorvalePlatform {

class StartSeeking : public IMediaSeeking {
public:
    HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* pCapabilities) override;
    HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* pCapabilities) override;
    HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* pFormat) override;
    HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* pFormat) override;
    HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* pFormat) override;
    HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* pFormat) override;
    HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* pFormat) override;
    HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* pDuration) override;
    HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* pStop) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* pCurrent) override;
    HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                                const GUID* pSourceFormat) override;
    HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop,
                                           DWORD dwStopFlags) override;
    HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* pCurrent, LONGLONG* pStop) override;
    HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest) override;
    HRESULT STDMETHODCALLTYPE SetRate(double dRate) override;
    HRESULT STDMETHODCALLTYPE GetRate(double* pdRate) override;
    HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* pllPreroll) override;

protected:
    ~StartSeeking() = default;

    // 100 ns; 0 when unknown.
    virtual LONGLONG seekingDuration() = 0;
    virtual void seekToStart() = 0;
};

}  // namespace MorvalePlatform

// Declares IUnknown's methods in a class that implements several interfaces,
// each answered by Base (a ComObject or an owner the references go to).
#define MORVALE_FORWARD_IUNKNOWN(Base)                                                       \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {         \
        return Base::QueryInterface(riid, object);                                           \
    }                                                                                        \
    ULONG STDMETHODCALLTYPE AddRef() override { return Base::AddRef(); }                     \
    ULONG STDMETHODCALLTYPE Release() override { return Base::Release(); }
