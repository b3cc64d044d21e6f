// DirectShow and Win32 data types for Linux, with the layout and values of
// the Windows headers (strmif.h, control.h, amvideo.h, wingdi.h, windef.h,
// oaidl.h): reference times, rectangles, bitmap and video headers, media
// types, pin and filter states, and the automation types that the
// IDispatch-based interfaces name in their signatures.
#pragma once

#include <cstdint>

#include "platform/linux/com_declarations.h"

typedef LONGLONG REFERENCE_TIME;
typedef int64_t LONG_PTR;
typedef uint64_t DWORD_PTR;
typedef uint64_t ULONG_PTR;
typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef OLECHAR* BSTR;
typedef DWORD LCID;
typedef LONG DISPID;
typedef HANDLE HEVENT;
typedef HANDLE HSEMAPHORE;
typedef LONG OAFilterState;
typedef LONG_PTR OAEVENT;

// Automation types that only appear behind pointers in the interfaces here.
struct ITypeInfo;
struct tagDISPPARAMS;
typedef struct tagDISPPARAMS DISPPARAMS;
struct tagVARIANT;
typedef struct tagVARIANT VARIANT;
struct tagEXCEPINFO;
typedef struct tagEXCEPINFO EXCEPINFO;
struct _SECURITY_ATTRIBUTES;
typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT;

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER;

#define BI_RGB 0L

typedef struct tagVIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    BITMAPINFOHEADER bmiHeader;
} VIDEOINFOHEADER;

// A media type as pins negotiate it. The format block (pbFormat, cbFormat
// bytes) is allocated with CoTaskMemAlloc and owned by whoever holds the
// structure; pUnk is a counted reference or null.
typedef struct _AMMediaType {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown* pUnk;
    ULONG cbFormat;
    BYTE* pbFormat;
} AM_MEDIA_TYPE;

typedef enum _PinDirection { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 } PIN_DIRECTION;

typedef enum _FilterState { State_Stopped = 0, State_Paused = 1, State_Running = 2 } FILTER_STATE;

struct IBaseFilter;
struct IFilterGraph;

#define MAX_PIN_NAME 128
#define MAX_FILTER_NAME 128

// pFilter and pGraph are counted references the caller releases.
typedef struct _PinInfo {
    IBaseFilter* pFilter;
    PIN_DIRECTION dir;
    WCHAR achName[MAX_PIN_NAME];
} PIN_INFO;

typedef struct _FilterInfo {
    WCHAR achName[MAX_FILTER_NAME];
    IFilterGraph* pGraph;
} FILTER_INFO;

typedef enum AM_SEEKING_SeekingFlags {
    AM_SEEKING_NoPositioning = 0x0,
    AM_SEEKING_AbsolutePositioning = 0x1,
    AM_SEEKING_RelativePositioning = 0x2,
    AM_SEEKING_IncrementalPositioning = 0x3,
    AM_SEEKING_PositioningBitsMask = 0x3,
    AM_SEEKING_SeekToKeyFrame = 0x4,
    AM_SEEKING_ReturnTime = 0x8,
    AM_SEEKING_Segment = 0x10,
    AM_SEEKING_NoFlush = 0x20
} AM_SEEKING_SEEKING_FLAGS;

typedef enum AM_SEEKING_SeekingCapabilities {
    AM_SEEKING_CanSeekAbsolute = 0x1,
    AM_SEEKING_CanSeekForwards = 0x2,
    AM_SEEKING_CanSeekBackwards = 0x4,
    AM_SEEKING_CanGetCurrentPos = 0x8,
    AM_SEEKING_CanGetStopPos = 0x10,
    AM_SEEKING_CanGetDuration = 0x20,
    AM_SEEKING_CanPlayBackwards = 0x40,
    AM_SEEKING_CanDoSegments = 0x80,
    AM_SEEKING_Source = 0x100
} AM_SEEKING_SEEKING_CAPABILITIES;

// CoCreateInstance contexts.
typedef enum tagCLSCTX {
    CLSCTX_INPROC_SERVER = 0x1,
    CLSCTX_INPROC_HANDLER = 0x2,
    CLSCTX_LOCAL_SERVER = 0x4,
    CLSCTX_REMOTE_SERVER = 0x10
} CLSCTX;

// Win32 waits.
#define INFINITE 0xffffffff
#define WAIT_OBJECT_0 ((DWORD)0x00000000)
#define WAIT_TIMEOUT ((DWORD)0x00000102)
#define WAIT_FAILED ((DWORD)0xffffffff)
