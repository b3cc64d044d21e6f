// The COM subset the media code uses, declared for Linux with the names,
// signatures and values of the Windows headers (unknwn.h, objbase.h,
// propidl.h): IUnknown, the COM start/stop calls, task memory and PROPVARIANT.
// Implemented in platform/linux/com_runtime.cpp and prop_variant.cpp.
#pragma once

#include <cstring>

#include "platform/windows_base.h"

// Interface declarations keep a protected destructor: objects are destroyed
// only by their own Release, never through an interface pointer.
struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    ~IUnknown() = default;
};

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

typedef enum tagCOINIT {
    COINIT_APARTMENTTHREADED = 0x2,
    COINIT_MULTITHREADED = 0x0,
    COINIT_DISABLE_OLE1DDE = 0x4,
    COINIT_SPEED_OVER_MEMORY = 0x8
} COINIT;

// Per-thread COM initialisation: the first call on a thread returns S_OK,
// later calls with the same concurrency model S_FALSE, a call asking for the
// other model RPC_E_CHANGED_MODE (and is not counted). Every successful call
// (S_OK or S_FALSE) must be balanced by one CoUninitialize.
extern "C" HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
extern "C" void CoUninitialize();

extern "C" LPVOID CoTaskMemAlloc(SIZE_T cb);
extern "C" void CoTaskMemFree(LPVOID pv);

// PROPVARIANT: the value types the media attributes and positions use.
typedef unsigned short VARTYPE;

enum VARENUM {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_BOOL = 11,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_LPSTR = 30,
    VT_LPWSTR = 31,
    VT_BLOB = 65,
    VT_CLSID = 72,
    VT_VECTOR = 0x1000
};

// The Windows unions also offer the halves as anonymous members; ISO C++ has
// no anonymous structs, so only the named halves (u) and QuadPart exist here.
typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER;

typedef union _ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
} ULARGE_INTEGER;

typedef struct tagBLOB {
    ULONG cbSize;
    BYTE* pBlobData;
} BLOB;

typedef struct tagCAUB {
    ULONG cElems;
    UCHAR* pElems;
} CAUB;

typedef short VARIANT_BOOL;

typedef struct tagPROPVARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        CHAR cVal;
        UCHAR bVal;
        SHORT iVal;
        USHORT uiVal;
        LONG lVal;
        ULONG ulVal;
        INT intVal;
        UINT uintVal;
        LARGE_INTEGER hVal;
        ULARGE_INTEGER uhVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CLSID* puuid;
        BLOB blob;
        LPSTR pszVal;
        LPWSTR pwszVal;
        IUnknown* punkVal;
        CAUB caub;
    };
} PROPVARIANT;

#define REFPROPVARIANT const PROPVARIANT&

inline void PropVariantInit(PROPVARIANT* pvar) { std::memset(static_cast<void*>(pvar), 0, sizeof(PROPVARIANT)); }

// Frees what the variant owns (strings, GUIDs and blobs through
// CoTaskMemFree, interfaces through Release) and leaves it VT_EMPTY.
extern "C" HRESULT PropVariantClear(PROPVARIANT* pvar);
// Deep copy; the destination is overwritten without being cleared first.
extern "C" HRESULT PropVariantCopy(PROPVARIANT* pvarDest, const PROPVARIANT* pvarSrc);
