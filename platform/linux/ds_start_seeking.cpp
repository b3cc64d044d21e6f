// StartSeeking; see ds_start_seeking.h.
#include "platform/linux/ds_start_seeking.h"

#include "platform/linux/test_hooks.h"

namespace MorvalePlatform {

namespace {

constexpr DWORD kCapabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekBackwards | AM_SEEKING_CanGetDuration;

}  // namespace

HRESULT StartSeeking::GetCapabilities(DWORD* pCapabilities) {
    if (!pCapabilities) return E_POINTER;
    *pCapabilities = kCapabilities;
    return S_OK;
}

HRESULT StartSeeking::CheckCapabilities(DWORD* pCapabilities) {
    if (!pCapabilities) return E_POINTER;
    const DWORD asked = *pCapabilities;
    *pCapabilities &= kCapabilities;
    if (*pCapabilities == asked) return S_OK;
    return *pCapabilities == 0 ? E_FAIL : S_FALSE;
}

HRESULT StartSeeking::IsFormatSupported(const GUID* pFormat) {
    if (!pFormat) return E_POINTER;
    return *pFormat == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

HRESULT StartSeeking::QueryPreferredFormat(GUID* pFormat) { return GetTimeFormat(pFormat); }

HRESULT StartSeeking::GetTimeFormat(GUID* pFormat) {
    if (!pFormat) return E_POINTER;
    *pFormat = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT StartSeeking::IsUsingTimeFormat(const GUID* pFormat) { return IsFormatSupported(pFormat); }

HRESULT StartSeeking::SetTimeFormat(const GUID* pFormat) {
    if (!pFormat) return E_POINTER;
    return *pFormat == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
}

HRESULT StartSeeking::GetDuration(LONGLONG* pDuration) {
    MORVALE_INSTRUMENTED_CALL("IMediaSeeking::GetDuration");
    if (!pDuration) return E_POINTER;
    *pDuration = seekingDuration();
    return S_OK;
}

HRESULT StartSeeking::SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags) {
    MORVALE_INSTRUMENTED_CALL("IMediaSeeking::SetPositions");
    if ((dwStopFlags & AM_SEEKING_PositioningBitsMask) != AM_SEEKING_NoPositioning) return E_NOTIMPL;
    (void)pStop;
    switch (dwCurrentFlags & AM_SEEKING_PositioningBitsMask) {
        case AM_SEEKING_NoPositioning:
            return S_OK;
        case AM_SEEKING_AbsolutePositioning:
            if (!pCurrent) return E_POINTER;
            if (*pCurrent != 0) return E_NOTIMPL;
            seekToStart();
            return S_OK;
        default:
            return E_NOTIMPL;
    }
}

HRESULT StartSeeking::GetStopPosition(LONGLONG*) { return E_NOTIMPL; }
HRESULT StartSeeking::GetCurrentPosition(LONGLONG*) { return E_NOTIMPL; }
HRESULT StartSeeking::ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*) { return E_NOTIMPL; }
HRESULT StartSeeking::GetPositions(LONGLONG*, LONGLONG*) { return E_NOTIMPL; }
HRESULT StartSeeking::GetAvailable(LONGLONG*, LONGLONG*) { return E_NOTIMPL; }

HRESULT StartSeeking::SetRate(double dRate) { return dRate == 1.0 ? S_OK : E_NOTIMPL; }

HRESULT StartSeeking::GetRate(double* pdRate) {
    if (!pdRate) return E_POINTER;
    *pdRate = 1.0;
    return S_OK;
}

HRESULT StartSeeking::GetPreroll(LONGLONG* pllPreroll) {
    if (!pllPreroll) return E_POINTER;
    *pllPreroll = 0;
    return S_OK;
}

}  // namespace MorvalePlatform
