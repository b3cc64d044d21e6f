// Compile-time checks that the platform declarations have the exact types and
// values media code relies on. The same list is compiled against the Windows
// headers (platform/windows/declaration_checks.cpp, in the Windows build) and
// against our Linux declarations (a test of the Linux build), so a signature
// that drifts on either side stops that build at the line naming it, before
// any media code calls it with arguments that only convert on one system.
//
// Function and method types are spelled with the Windows typedef names. They
// are distinct C++ types on the two systems (DWORD is unsigned long on
// Windows, unsigned int on Linux; WCHAR is 16 bits on Windows, 32 on Linux),
// which is why media code must spell them the same way and never substitute
// uint32_t* for DWORD* or wchar_t* for WCHAR*.
//
// Include from exactly one translation unit per build: it defines nothing
// but checks.
#pragma once

#include <cstddef>
#include <type_traits>

#include "platform/media_foundation.h"

namespace MorvalePlatformDeclarationChecks {

// Compiles only when one declaration of the name has exactly type Sig
// (overload sets such as IUnknown::QueryInterface resolve to that one).
template <class Sig>
constexpr bool function(Sig*) {
    return std::is_function_v<Sig>;
}
template <class Sig, class Interface>
constexpr bool method(Sig Interface::*) {
    return std::is_function_v<Sig>;
}

#define MORVALE_CHECK_FUNCTION(name, ...) static_assert(function<__VA_ARGS__>(&name), #name);
#define MORVALE_CHECK_METHOD(interface, name, ...) \
    static_assert(method<__VA_ARGS__, interface>(&interface::name), #interface "::" #name);
#define MORVALE_CHECK_VALUE(name, value) \
    static_assert(static_cast<unsigned long long>(name) == static_cast<unsigned long long>(value), #name);

// COM.
MORVALE_CHECK_METHOD(IUnknown, QueryInterface, HRESULT(REFIID, void**))
MORVALE_CHECK_METHOD(IUnknown, AddRef, ULONG())
MORVALE_CHECK_METHOD(IUnknown, Release, ULONG())
MORVALE_CHECK_FUNCTION(CoInitializeEx, HRESULT(LPVOID, DWORD))
MORVALE_CHECK_FUNCTION(CoUninitialize, void())
MORVALE_CHECK_FUNCTION(CoTaskMemAlloc, LPVOID(SIZE_T))
MORVALE_CHECK_FUNCTION(CoTaskMemFree, void(LPVOID))
MORVALE_CHECK_FUNCTION(PropVariantClear, HRESULT(PROPVARIANT*))
MORVALE_CHECK_FUNCTION(PropVariantCopy, HRESULT(PROPVARIANT*, const PROPVARIANT*))
MORVALE_CHECK_VALUE(COINIT_MULTITHREADED, 0x0)
MORVALE_CHECK_VALUE(COINIT_APARTMENTTHREADED, 0x2)
MORVALE_CHECK_VALUE(COINIT_DISABLE_OLE1DDE, 0x4)
MORVALE_CHECK_VALUE(COINIT_SPEED_OVER_MEMORY, 0x8)

// Media Foundation functions and the inline helpers of mfapi.h.
MORVALE_CHECK_FUNCTION(MFStartup, HRESULT(ULONG, DWORD))
MORVALE_CHECK_FUNCTION(MFShutdown, HRESULT())
MORVALE_CHECK_FUNCTION(MFCreateAttributes, HRESULT(IMFAttributes**, UINT32))
MORVALE_CHECK_FUNCTION(MFCreateMediaType, HRESULT(IMFMediaType**))
MORVALE_CHECK_FUNCTION(MFCreateSample, HRESULT(IMFSample**))
MORVALE_CHECK_FUNCTION(MFCreateMemoryBuffer, HRESULT(DWORD, IMFMediaBuffer**))
MORVALE_CHECK_FUNCTION(MFCreateSourceReaderFromURL, HRESULT(LPCWSTR, IMFAttributes*, IMFSourceReader**))
MORVALE_CHECK_FUNCTION(HI32, UINT32(UINT64))
MORVALE_CHECK_FUNCTION(LO32, UINT32(UINT64))
MORVALE_CHECK_FUNCTION(Pack2UINT32AsUINT64, UINT64(UINT32, UINT32))
MORVALE_CHECK_FUNCTION(Unpack2UINT32AsUINT64, void(UINT64, UINT32*, UINT32*))
MORVALE_CHECK_FUNCTION(PackSize, UINT64(UINT32, UINT32))
MORVALE_CHECK_FUNCTION(UnpackSize, void(UINT64, UINT32*, UINT32*))
MORVALE_CHECK_FUNCTION(PackRatio, UINT64(INT32, UINT32))
MORVALE_CHECK_FUNCTION(UnpackRatio, void(UINT64, INT32*, UINT32*))
MORVALE_CHECK_FUNCTION(MFGetAttributeUINT32, UINT32(IMFAttributes*, REFGUID, UINT32))
MORVALE_CHECK_FUNCTION(MFGetAttributeUINT64, UINT64(IMFAttributes*, REFGUID, UINT64))
MORVALE_CHECK_FUNCTION(MFGetAttributeDouble, double(IMFAttributes*, REFGUID, double))
MORVALE_CHECK_FUNCTION(MFGetAttribute2UINT32asUINT64, HRESULT(IMFAttributes*, REFGUID, UINT32*, UINT32*))
MORVALE_CHECK_FUNCTION(MFSetAttribute2UINT32asUINT64, HRESULT(IMFAttributes*, REFGUID, UINT32, UINT32))
MORVALE_CHECK_FUNCTION(MFGetAttributeRatio, HRESULT(IMFAttributes*, REFGUID, UINT32*, UINT32*))
MORVALE_CHECK_FUNCTION(MFGetAttributeSize, HRESULT(IMFAttributes*, REFGUID, UINT32*, UINT32*))
MORVALE_CHECK_FUNCTION(MFSetAttributeRatio, HRESULT(IMFAttributes*, REFGUID, UINT32, UINT32))
MORVALE_CHECK_FUNCTION(MFSetAttributeSize, HRESULT(IMFAttributes*, REFGUID, UINT32, UINT32))
MORVALE_CHECK_VALUE(MF_VERSION, 0x20070)
MORVALE_CHECK_VALUE(MFSTARTUP_NOSOCKET, 0x1)
MORVALE_CHECK_VALUE(MFSTARTUP_LITE, 0x1)
MORVALE_CHECK_VALUE(MFSTARTUP_FULL, 0x0)

// IMFAttributes.
MORVALE_CHECK_METHOD(IMFAttributes, GetItem, HRESULT(REFGUID, PROPVARIANT*))
MORVALE_CHECK_METHOD(IMFAttributes, GetItemType, HRESULT(REFGUID, MF_ATTRIBUTE_TYPE*))
MORVALE_CHECK_METHOD(IMFAttributes, CompareItem, HRESULT(REFGUID, REFPROPVARIANT, BOOL*))
MORVALE_CHECK_METHOD(IMFAttributes, Compare, HRESULT(IMFAttributes*, MF_ATTRIBUTES_MATCH_TYPE, BOOL*))
MORVALE_CHECK_METHOD(IMFAttributes, GetUINT32, HRESULT(REFGUID, UINT32*))
MORVALE_CHECK_METHOD(IMFAttributes, GetUINT64, HRESULT(REFGUID, UINT64*))
MORVALE_CHECK_METHOD(IMFAttributes, GetDouble, HRESULT(REFGUID, double*))
MORVALE_CHECK_METHOD(IMFAttributes, GetGUID, HRESULT(REFGUID, GUID*))
MORVALE_CHECK_METHOD(IMFAttributes, GetStringLength, HRESULT(REFGUID, UINT32*))
MORVALE_CHECK_METHOD(IMFAttributes, GetString, HRESULT(REFGUID, LPWSTR, UINT32, UINT32*))
MORVALE_CHECK_METHOD(IMFAttributes, GetAllocatedString, HRESULT(REFGUID, LPWSTR*, UINT32*))
MORVALE_CHECK_METHOD(IMFAttributes, GetBlobSize, HRESULT(REFGUID, UINT32*))
MORVALE_CHECK_METHOD(IMFAttributes, GetBlob, HRESULT(REFGUID, UINT8*, UINT32, UINT32*))
MORVALE_CHECK_METHOD(IMFAttributes, GetAllocatedBlob, HRESULT(REFGUID, UINT8**, UINT32*))
MORVALE_CHECK_METHOD(IMFAttributes, GetUnknown, HRESULT(REFGUID, REFIID, LPVOID*))
MORVALE_CHECK_METHOD(IMFAttributes, SetItem, HRESULT(REFGUID, REFPROPVARIANT))
MORVALE_CHECK_METHOD(IMFAttributes, DeleteItem, HRESULT(REFGUID))
MORVALE_CHECK_METHOD(IMFAttributes, DeleteAllItems, HRESULT())
MORVALE_CHECK_METHOD(IMFAttributes, SetUINT32, HRESULT(REFGUID, UINT32))
MORVALE_CHECK_METHOD(IMFAttributes, SetUINT64, HRESULT(REFGUID, UINT64))
MORVALE_CHECK_METHOD(IMFAttributes, SetDouble, HRESULT(REFGUID, double))
MORVALE_CHECK_METHOD(IMFAttributes, SetGUID, HRESULT(REFGUID, REFGUID))
MORVALE_CHECK_METHOD(IMFAttributes, SetString, HRESULT(REFGUID, LPCWSTR))
MORVALE_CHECK_METHOD(IMFAttributes, SetBlob, HRESULT(REFGUID, const UINT8*, UINT32))
MORVALE_CHECK_METHOD(IMFAttributes, SetUnknown, HRESULT(REFGUID, IUnknown*))
MORVALE_CHECK_METHOD(IMFAttributes, LockStore, HRESULT())
MORVALE_CHECK_METHOD(IMFAttributes, UnlockStore, HRESULT())
MORVALE_CHECK_METHOD(IMFAttributes, GetCount, HRESULT(UINT32*))
MORVALE_CHECK_METHOD(IMFAttributes, GetItemByIndex, HRESULT(UINT32, GUID*, PROPVARIANT*))
MORVALE_CHECK_METHOD(IMFAttributes, CopyAllItems, HRESULT(IMFAttributes*))
MORVALE_CHECK_VALUE(MF_ATTRIBUTE_UINT32, VT_UI4)
MORVALE_CHECK_VALUE(MF_ATTRIBUTE_UINT64, VT_UI8)
MORVALE_CHECK_VALUE(MF_ATTRIBUTE_DOUBLE, VT_R8)
MORVALE_CHECK_VALUE(MF_ATTRIBUTE_GUID, VT_CLSID)
MORVALE_CHECK_VALUE(MF_ATTRIBUTE_STRING, VT_LPWSTR)
MORVALE_CHECK_VALUE(MF_ATTRIBUTE_BLOB, VT_VECTOR | VT_UI1)
MORVALE_CHECK_VALUE(MF_ATTRIBUTE_IUNKNOWN, VT_UNKNOWN)
MORVALE_CHECK_VALUE(MF_ATTRIBUTES_MATCH_OUR_ITEMS, 0)
MORVALE_CHECK_VALUE(MF_ATTRIBUTES_MATCH_THEIR_ITEMS, 1)
MORVALE_CHECK_VALUE(MF_ATTRIBUTES_MATCH_ALL_ITEMS, 2)
MORVALE_CHECK_VALUE(MF_ATTRIBUTES_MATCH_INTERSECTION, 3)
MORVALE_CHECK_VALUE(MF_ATTRIBUTES_MATCH_SMALLER, 4)

// IMFMediaType.
MORVALE_CHECK_METHOD(IMFMediaType, GetMajorType, HRESULT(GUID*))
MORVALE_CHECK_METHOD(IMFMediaType, IsCompressedFormat, HRESULT(BOOL*))
MORVALE_CHECK_METHOD(IMFMediaType, IsEqual, HRESULT(IMFMediaType*, DWORD*))
MORVALE_CHECK_METHOD(IMFMediaType, GetRepresentation, HRESULT(GUID, LPVOID*))
MORVALE_CHECK_METHOD(IMFMediaType, FreeRepresentation, HRESULT(GUID, LPVOID))
MORVALE_CHECK_VALUE(MF_MEDIATYPE_EQUAL_MAJOR_TYPES, 0x1)
MORVALE_CHECK_VALUE(MF_MEDIATYPE_EQUAL_FORMAT_TYPES, 0x2)
MORVALE_CHECK_VALUE(MF_MEDIATYPE_EQUAL_FORMAT_DATA, 0x4)
MORVALE_CHECK_VALUE(MF_MEDIATYPE_EQUAL_FORMAT_USER_DATA, 0x8)
MORVALE_CHECK_VALUE(MFVideoInterlace_Unknown, 0)
MORVALE_CHECK_VALUE(MFVideoInterlace_Progressive, 2)
MORVALE_CHECK_VALUE(MFVideoInterlace_FieldInterleavedUpperFirst, 3)
MORVALE_CHECK_VALUE(MFVideoInterlace_FieldInterleavedLowerFirst, 4)
MORVALE_CHECK_VALUE(MFVideoInterlace_FieldSingleUpper, 5)
MORVALE_CHECK_VALUE(MFVideoInterlace_FieldSingleLower, 6)
MORVALE_CHECK_VALUE(MFVideoInterlace_MixedInterlaceOrProgressive, 7)

// IMFMediaBuffer.
MORVALE_CHECK_METHOD(IMFMediaBuffer, Lock, HRESULT(BYTE**, DWORD*, DWORD*))
MORVALE_CHECK_METHOD(IMFMediaBuffer, Unlock, HRESULT())
MORVALE_CHECK_METHOD(IMFMediaBuffer, GetCurrentLength, HRESULT(DWORD*))
MORVALE_CHECK_METHOD(IMFMediaBuffer, SetCurrentLength, HRESULT(DWORD))
MORVALE_CHECK_METHOD(IMFMediaBuffer, GetMaxLength, HRESULT(DWORD*))

// IMFSample.
MORVALE_CHECK_METHOD(IMFSample, GetSampleFlags, HRESULT(DWORD*))
MORVALE_CHECK_METHOD(IMFSample, SetSampleFlags, HRESULT(DWORD))
MORVALE_CHECK_METHOD(IMFSample, GetSampleTime, HRESULT(LONGLONG*))
MORVALE_CHECK_METHOD(IMFSample, SetSampleTime, HRESULT(LONGLONG))
MORVALE_CHECK_METHOD(IMFSample, GetSampleDuration, HRESULT(LONGLONG*))
MORVALE_CHECK_METHOD(IMFSample, SetSampleDuration, HRESULT(LONGLONG))
MORVALE_CHECK_METHOD(IMFSample, GetBufferCount, HRESULT(DWORD*))
MORVALE_CHECK_METHOD(IMFSample, GetBufferByIndex, HRESULT(DWORD, IMFMediaBuffer**))
MORVALE_CHECK_METHOD(IMFSample, ConvertToContiguousBuffer, HRESULT(IMFMediaBuffer**))
MORVALE_CHECK_METHOD(IMFSample, AddBuffer, HRESULT(IMFMediaBuffer*))
MORVALE_CHECK_METHOD(IMFSample, RemoveBufferByIndex, HRESULT(DWORD))
MORVALE_CHECK_METHOD(IMFSample, RemoveAllBuffers, HRESULT())
MORVALE_CHECK_METHOD(IMFSample, GetTotalLength, HRESULT(DWORD*))
MORVALE_CHECK_METHOD(IMFSample, CopyToBuffer, HRESULT(IMFMediaBuffer*))

// IMFSourceReader and its stream indices and flags.
MORVALE_CHECK_METHOD(IMFSourceReader, GetStreamSelection, HRESULT(DWORD, BOOL*))
MORVALE_CHECK_METHOD(IMFSourceReader, SetStreamSelection, HRESULT(DWORD, BOOL))
MORVALE_CHECK_METHOD(IMFSourceReader, GetNativeMediaType, HRESULT(DWORD, DWORD, IMFMediaType**))
MORVALE_CHECK_METHOD(IMFSourceReader, GetCurrentMediaType, HRESULT(DWORD, IMFMediaType**))
MORVALE_CHECK_METHOD(IMFSourceReader, SetCurrentMediaType, HRESULT(DWORD, DWORD*, IMFMediaType*))
MORVALE_CHECK_METHOD(IMFSourceReader, SetCurrentPosition, HRESULT(REFGUID, REFPROPVARIANT))
MORVALE_CHECK_METHOD(IMFSourceReader, ReadSample, HRESULT(DWORD, DWORD, DWORD*, DWORD*, LONGLONG*, IMFSample**))
MORVALE_CHECK_METHOD(IMFSourceReader, Flush, HRESULT(DWORD))
MORVALE_CHECK_METHOD(IMFSourceReader, GetServiceForStream, HRESULT(DWORD, REFGUID, REFIID, LPVOID*))
MORVALE_CHECK_METHOD(IMFSourceReader, GetPresentationAttribute, HRESULT(DWORD, REFGUID, PROPVARIANT*))
MORVALE_CHECK_VALUE(MF_SOURCE_READER_INVALID_STREAM_INDEX, 0xffffffff)
MORVALE_CHECK_VALUE(MF_SOURCE_READER_ALL_STREAMS, 0xfffffffe)
MORVALE_CHECK_VALUE(MF_SOURCE_READER_ANY_STREAM, 0xfffffffe)
MORVALE_CHECK_VALUE(MF_SOURCE_READER_FIRST_AUDIO_STREAM, 0xfffffffd)
MORVALE_CHECK_VALUE(MF_SOURCE_READER_FIRST_VIDEO_STREAM, 0xfffffffc)
MORVALE_CHECK_VALUE(MF_SOURCE_READER_MEDIASOURCE, 0xffffffff)
MORVALE_CHECK_VALUE(MF_SOURCE_READER_CURRENT_TYPE_INDEX, 0xffffffff)
MORVALE_CHECK_VALUE(MF_SOURCE_READER_CONTROLF_DRAIN, 0x1)
MORVALE_CHECK_VALUE(MF_SOURCE_READERF_ERROR, 0x1)
MORVALE_CHECK_VALUE(MF_SOURCE_READERF_ENDOFSTREAM, 0x2)
MORVALE_CHECK_VALUE(MF_SOURCE_READERF_NEWSTREAM, 0x4)
MORVALE_CHECK_VALUE(MF_SOURCE_READERF_NATIVEMEDIATYPECHANGED, 0x10)
MORVALE_CHECK_VALUE(MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED, 0x20)
MORVALE_CHECK_VALUE(MF_SOURCE_READERF_STREAMTICK, 0x100)
MORVALE_CHECK_VALUE(MF_SOURCE_READERF_ALLEFFECTSREMOVED, 0x200)

// PROPVARIANT: the variant types and the members media code reads.
MORVALE_CHECK_VALUE(VT_EMPTY, 0)
MORVALE_CHECK_VALUE(VT_I4, 3)
MORVALE_CHECK_VALUE(VT_R8, 5)
MORVALE_CHECK_VALUE(VT_UNKNOWN, 13)
MORVALE_CHECK_VALUE(VT_UI4, 19)
MORVALE_CHECK_VALUE(VT_I8, 20)
MORVALE_CHECK_VALUE(VT_UI8, 21)
MORVALE_CHECK_VALUE(VT_LPWSTR, 31)
MORVALE_CHECK_VALUE(VT_BLOB, 65)
MORVALE_CHECK_VALUE(VT_CLSID, 72)
MORVALE_CHECK_VALUE(VT_VECTOR, 0x1000)
static_assert(std::is_same_v<decltype(PROPVARIANT::vt), VARTYPE>, "PROPVARIANT::vt");
static_assert(std::is_same_v<decltype(PROPVARIANT::hVal.QuadPart), LONGLONG>, "PROPVARIANT::hVal");
static_assert(std::is_same_v<decltype(PROPVARIANT::uhVal.QuadPart), ULONGLONG>, "PROPVARIANT::uhVal");
static_assert(std::is_same_v<decltype(PROPVARIANT::ulVal), ULONG>, "PROPVARIANT::ulVal");
static_assert(std::is_same_v<decltype(PROPVARIANT::dblVal), DOUBLE>, "PROPVARIANT::dblVal");
static_assert(std::is_same_v<decltype(PROPVARIANT::puuid), CLSID*>, "PROPVARIANT::puuid");
static_assert(std::is_same_v<decltype(PROPVARIANT::pwszVal), LPWSTR>, "PROPVARIANT::pwszVal");
static_assert(std::is_same_v<decltype(PROPVARIANT::punkVal), IUnknown*>, "PROPVARIANT::punkVal");
static_assert(sizeof(PROPVARIANT) == 24, "PROPVARIANT size");

// Basic types: widths and signedness the media code's arithmetic assumes.
static_assert(sizeof(GUID) == 16 && sizeof(HRESULT) == 4 && std::is_signed_v<HRESULT>, "GUID, HRESULT");
static_assert(sizeof(DWORD) == 4 && std::is_unsigned_v<DWORD>, "DWORD");
static_assert(sizeof(LONG) == 4 && std::is_signed_v<LONG>, "LONG");
static_assert(sizeof(ULONG) == 4 && std::is_unsigned_v<ULONG>, "ULONG");
static_assert(sizeof(UINT32) == 4 && sizeof(UINT64) == 8 && sizeof(LONGLONG) == 8, "fixed widths");
static_assert(sizeof(BOOL) == 4 && std::is_signed_v<BOOL>, "BOOL");
static_assert(std::is_same_v<WCHAR, wchar_t> && std::is_same_v<LPCWSTR, const wchar_t*>, "WCHAR is wchar_t");

#undef MORVALE_CHECK_FUNCTION
#undef MORVALE_CHECK_METHOD
#undef MORVALE_CHECK_VALUE

}  // namespace MorvalePlatformDeclarationChecks
