// Media Foundation's writing side for Linux: the sink writer and its factory,
// and the enumeration of encoders and decoders (MFTEnumEx with the
// activation objects it returns), with the names, method order, signatures
// and values of mfreadwrite.h, mfapi.h, mfobjects.h and mftransform.h.
// Implemented in platform/linux/ (sink_writer*, mft_enum*).
#pragma once

#include "platform/linux/com_declarations.h"
#include "platform/linux/mf_interfaces.h"
#include "platform/windows_base.h"

// Byte streams are not implemented; the factory accepts only a null one.
struct IMFByteStream;

typedef struct _MF_SINK_WRITER_STATISTICS {
    DWORD cb;
    LONGLONG llLastTimestampReceived;
    LONGLONG llLastTimestampEncoded;
    LONGLONG llLastTimestampProcessed;
    LONGLONG llLastStreamTickReceived;
    LONGLONG llLastSinkSampleRequest;
    QWORD qwNumSamplesReceived;
    QWORD qwNumSamplesEncoded;
    QWORD qwNumSamplesProcessed;
    QWORD qwNumStreamTicksReceived;
    DWORD dwByteCountQueued;
    QWORD qwByteCountProcessed;
    DWORD dwNumOutstandingSinkSampleRequests;
    DWORD dwAverageSampleRateReceived;
    DWORD dwAverageSampleRateEncoded;
    DWORD dwAverageSampleRateProcessed;
} MF_SINK_WRITER_STATISTICS;

// Stream indices with a special meaning for the sink writer's methods.
enum : DWORD {
    MF_SINK_WRITER_INVALID_STREAM_INDEX = 0xffffffff,
    MF_SINK_WRITER_ALL_STREAMS = 0xfffffffe,
    MF_SINK_WRITER_MEDIASINK = 0xffffffff
};

struct IMFSinkWriter : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddStream(IMFMediaType* type, DWORD* index) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetInputMediaType(DWORD index, IMFMediaType* type,
                                                        IMFAttributes* parameters) = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginWriting() = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteSample(DWORD index, IMFSample* sample) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendStreamTick(DWORD index, LONGLONG timestamp) = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceMarker(DWORD index, void* context) = 0;
    virtual HRESULT STDMETHODCALLTYPE NotifyEndOfSegment(DWORD index) = 0;
    virtual HRESULT STDMETHODCALLTYPE Flush(DWORD index) = 0;
    virtual HRESULT STDMETHODCALLTYPE Finalize() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetServiceForStream(DWORD index, REFGUID service, REFIID riid,
                                                          void** object) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStatistics(DWORD index, MF_SINK_WRITER_STATISTICS* stats) = 0;

protected:
    ~IMFSinkWriter() = default;
};

struct IMFActivate : public IMFAttributes {
    virtual HRESULT STDMETHODCALLTYPE ActivateObject(REFIID riid, void** ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShutdownObject() = 0;
    virtual HRESULT STDMETHODCALLTYPE DetachObject() = 0;

protected:
    ~IMFActivate() = default;
};

typedef struct _MFT_REGISTER_TYPE_INFO {
    GUID guidMajorType;
    GUID guidSubtype;
} MFT_REGISTER_TYPE_INFO;

enum _MFT_ENUM_FLAG {
    MFT_ENUM_FLAG_SYNCMFT = 0x00000001,
    MFT_ENUM_FLAG_ASYNCMFT = 0x00000002,
    MFT_ENUM_FLAG_HARDWARE = 0x00000004,
    MFT_ENUM_FLAG_FIELDOFUSE = 0x00000008,
    MFT_ENUM_FLAG_LOCALMFT = 0x00000010,
    MFT_ENUM_FLAG_TRANSCODE_ONLY = 0x00000020,
    MFT_ENUM_FLAG_SORTANDFILTER = 0x00000040,
    MFT_ENUM_FLAG_SORTANDFILTER_APPROVED_ONLY = 0x000000c0,
    MFT_ENUM_FLAG_SORTANDFILTER_WEB_ONLY = 0x00000140,
    MFT_ENUM_FLAG_ALL = 0x0000003f
};

// Creates the output file at once (a plain path or a file:// URL) and picks
// the container from its extension. Needs a started platform; byte stream
// and attributes must be null.
extern "C" HRESULT MFCreateSinkWriterFromURL(const WCHAR* url, IMFByteStream* bytestream, IMFAttributes* attributes,
                                             IMFSinkWriter** writer);

// The encoders (or decoders) of the category that take pInputType and give
// pOutputType (either may be null: any). The array is CoTaskMemAlloc'd and
// holds one reference per object; an empty result is S_OK with count 0 and
// a null array.
extern "C" HRESULT MFTEnumEx(GUID guidCategory, UINT32 Flags, const MFT_REGISTER_TYPE_INFO* pInputType,
                             const MFT_REGISTER_TYPE_INFO* pOutputType, IMFActivate*** pppMFTActivate,
                             UINT32* pnumMFTActivate);

// Transform categories.
inline constexpr GUID MFT_CATEGORY_VIDEO_DECODER = {0xd6c02d4b, 0x6833, 0x45b4, {0x97, 0x1a, 0x05, 0xa4, 0xb0, 0x4b, 0xab, 0x91}};
inline constexpr GUID MFT_CATEGORY_VIDEO_ENCODER = {0xf79eac7d, 0xe545, 0x4387, {0xbd, 0xee, 0xd6, 0x47, 0xd7, 0xbd, 0xe4, 0x2a}};
inline constexpr GUID MFT_CATEGORY_AUDIO_DECODER = {0x9ea73fb4, 0xef7a, 0x4559, {0x8d, 0x5d, 0x71, 0x9d, 0x8f, 0x04, 0x26, 0xc7}};
inline constexpr GUID MFT_CATEGORY_AUDIO_ENCODER = {0x91c64bd0, 0xf91e, 0x4d8c, {0x92, 0x76, 0xdb, 0x24, 0x82, 0x79, 0xd9, 0x75}};

// Attributes of an activation object.
inline constexpr GUID MFT_FRIENDLY_NAME_Attribute = {0x314ffbae, 0x5b41, 0x4c95, {0x9c, 0x19, 0x4e, 0x7d, 0x58, 0x6f, 0xac, 0xe3}};
inline constexpr GUID MF_TRANSFORM_CATEGORY_Attribute = {0xceabba49, 0x506d, 0x4757, {0xa6, 0xff, 0x66, 0xc1, 0x84, 0x98, 0x7e, 0x4e}};
inline constexpr GUID MFT_INPUT_TYPES_Attributes = {0x4276c9b1, 0x759d, 0x4bf3, {0x9c, 0xd0, 0x0d, 0x72, 0x3d, 0x13, 0x8f, 0x96}};
inline constexpr GUID MFT_OUTPUT_TYPES_Attributes = {0x8eae8cf3, 0xa44f, 0x4306, {0xba, 0x5c, 0xbf, 0x5d, 0xda, 0x24, 0x28, 0x18}};

// AAC output type attribute (MF_MT_AAC_PAYLOAD_TYPE is with the other media
// type attributes).
inline constexpr GUID MF_MT_AAC_AUDIO_PROFILE_LEVEL_INDICATION = {0x7632f0e6, 0x9538, 0x4d61, {0xac, 0xda, 0xea, 0x29, 0xc8, 0xc1, 0x44, 0x56}};

// Interface IDs.
inline constexpr IID IID_IMFSinkWriter = {0x3137f1cd, 0xfe5e, 0x4805, {0xa5, 0xd8, 0xfb, 0x47, 0x74, 0x48, 0xcb, 0x3d}};
inline constexpr IID IID_IMFActivate = {0x7fee9e9a, 0x4a89, 0x47a6, {0x89, 0x9c, 0xb6, 0xa5, 0x3a, 0x70, 0xfb, 0x67}};
