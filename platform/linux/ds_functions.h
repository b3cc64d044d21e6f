// The free functions DirectShow code calls, declared for Linux with the
// Windows signatures: object creation by class ID and the Win32 event calls.
#pragma once

#include "platform/linux/ds_types.h"

// Makes the filter graph, the AVI splitter, the sample grabber or the null
// renderer (CLSID_*); any other class is REGDB_E_CLASSNOTREG, an outer
// object CLASS_E_NOAGGREGATION. Needs no CoInitializeEx on this system.
extern "C" HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                                    LPVOID* ppv);

// Events. Events created with the same name share one event object, as on
// Windows within a process; each call returns its own handle, and the object
// goes with the last CloseHandle. Waiting on a closed or unknown handle
// returns WAIT_FAILED; the other calls return FALSE for one.
extern "C" HANDLE CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                               LPCSTR lpName);
extern "C" BOOL SetEvent(HANDLE hEvent);
extern "C" BOOL ResetEvent(HANDLE hEvent);
extern "C" DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
extern "C" BOOL CloseHandle(HANDLE hObject);
