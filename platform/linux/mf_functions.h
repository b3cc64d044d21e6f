// Media Foundation functions for Linux: start and stop, object creation, the
// source reader factory, and the inline attribute helpers of mfapi.h, with
// the signatures and constants of the Windows headers.
#pragma once

#include "platform/linux/mf_interfaces.h"
#include "platform/windows_base.h"

#define MF_SDK_VERSION 0x2
#define MF_API_VERSION 0x0070
#define MF_VERSION (MF_SDK_VERSION << 16 | MF_API_VERSION)

#define MFSTARTUP_NOSOCKET 0x1
#define MFSTARTUP_LITE (MFSTARTUP_NOSOCKET)
#define MFSTARTUP_FULL 0

// Counted: every successful MFStartup needs one MFShutdown. A version other
// than MF_VERSION (or the older 0x10070) gives MF_E_BAD_STARTUP_VERSION.
extern "C" HRESULT MFStartup(ULONG Version, DWORD dwFlags = MFSTARTUP_FULL);
extern "C" HRESULT MFShutdown();

extern "C" HRESULT MFCreateAttributes(IMFAttributes** ppMFAttributes, UINT32 cInitialSize);
extern "C" HRESULT MFCreateMediaType(IMFMediaType** ppMFType);
extern "C" HRESULT MFCreateSample(IMFSample** ppIMFSample);
extern "C" HRESULT MFCreateMemoryBuffer(DWORD cbMaxLength, IMFMediaBuffer** ppBuffer);

// Opens a local file (a plain path or a file:// URL). Needs a started
// platform. Reader attributes are read once, here.
extern "C" HRESULT MFCreateSourceReaderFromURL(const WCHAR* url, IMFAttributes* attributes,
                                               IMFSourceReader** reader);

inline UINT32 HI32(UINT64 up) { return static_cast<UINT32>(up >> 32); }
inline UINT32 LO32(UINT64 up) { return static_cast<UINT32>(up); }
inline UINT64 Pack2UINT32AsUINT64(UINT32 uh, UINT32 ul) { return (static_cast<UINT64>(uh) << 32) | static_cast<UINT64>(ul); }
inline void Unpack2UINT32AsUINT64(UINT64 up, UINT32* puh, UINT32* pul) {
    *puh = HI32(up);
    *pul = LO32(up);
}
inline UINT64 PackSize(UINT32 uw, UINT32 uh) { return Pack2UINT32AsUINT64(uw, uh); }
inline void UnpackSize(UINT64 up, UINT32* puw, UINT32* puh) { Unpack2UINT32AsUINT64(up, puw, puh); }
inline UINT64 PackRatio(INT32 n, UINT32 ud) { return Pack2UINT32AsUINT64(static_cast<UINT32>(n), ud); }
inline void UnpackRatio(UINT64 up, INT32* pn, UINT32* pud) {
    *pn = static_cast<INT32>(HI32(up));
    *pud = LO32(up);
}

inline UINT32 MFGetAttributeUINT32(IMFAttributes* pattr, REFGUID guid, UINT32 udef) {
    UINT32 r;
    if (FAILED(pattr->GetUINT32(guid, &r))) r = udef;
    return r;
}
inline UINT64 MFGetAttributeUINT64(IMFAttributes* pattr, REFGUID guid, UINT64 udef) {
    UINT64 r;
    if (FAILED(pattr->GetUINT64(guid, &r))) r = udef;
    return r;
}
inline double MFGetAttributeDouble(IMFAttributes* pattr, REFGUID guid, double fdef) {
    double r;
    if (FAILED(pattr->GetDouble(guid, &r))) r = fdef;
    return r;
}
inline HRESULT MFGetAttribute2UINT32asUINT64(IMFAttributes* pattr, REFGUID guid, UINT32* puh, UINT32* pul) {
    UINT64 up;
    HRESULT hr = pattr->GetUINT64(guid, &up);
    if (!FAILED(hr)) Unpack2UINT32AsUINT64(up, puh, pul);
    return hr;
}
inline HRESULT MFSetAttribute2UINT32asUINT64(IMFAttributes* pattr, REFGUID guid, UINT32 uh, UINT32 ul) {
    return pattr->SetUINT64(guid, Pack2UINT32AsUINT64(uh, ul));
}
inline HRESULT MFGetAttributeRatio(IMFAttributes* pattr, REFGUID guid, UINT32* pn, UINT32* pd) {
    return MFGetAttribute2UINT32asUINT64(pattr, guid, pn, pd);
}
inline HRESULT MFGetAttributeSize(IMFAttributes* pattr, REFGUID guid, UINT32* pw, UINT32* ph) {
    return MFGetAttribute2UINT32asUINT64(pattr, guid, pw, ph);
}
inline HRESULT MFSetAttributeRatio(IMFAttributes* pattr, REFGUID guid, UINT32 un, UINT32 ud) {
    return MFSetAttribute2UINT32asUINT64(pattr, guid, un, ud);
}
inline HRESULT MFSetAttributeSize(IMFAttributes* pattr, REFGUID guid, UINT32 uw, UINT32 uh) {
    return MFSetAttribute2UINT32asUINT64(pattr, guid, uw, uh);
}
