// The media types the Linux filter graph's pins report, and how it hands
// them out.
//
// A video stream's type is what DirectShow's splitters give the decoder:
// major type Video, the subtype of its FourCC (the container's codec tag
// when it has one, "avc1" reported as "AVC1" as Windows' MP4 demultiplexer
// does; else the codec's usual FourCC; uncompressed RGB as
// MEDIASUBTYPE_RGB24/RGB32/...), format type FORMAT_VideoInfo and a
// VIDEOINFOHEADER: rcSource and rcTarget {0, 0, width, height}, the bit rate
// when known, AvgTimePerFrame in 100 ns from the frame rate, and a
// BITMAPINFOHEADER with the size, the FourCC as biCompression and the coded
// bits per pixel (24 when the container states none).
#pragma once

#include <vector>

#include "platform/direct_show.h"
#include "platform/linux/ffmpeg_handles.h"

namespace MorvalePlatform {

// An AM_MEDIA_TYPE held by value: the format block in a vector, no pUnk.
struct MediaTypeValue {
    GUID majortype = GUID_NULL;
    GUID subtype = GUID_NULL;
    BOOL fixedSizeSamples = FALSE;
    BOOL temporalCompression = FALSE;
    ULONG sampleSize = 0;
    GUID formattype = GUID_NULL;
    std::vector<BYTE> format;

    static MediaTypeValue of(const AM_MEDIA_TYPE& type);
    // Fills a caller's structure, the format block allocated with
    // CoTaskMemAlloc (the caller frees it); E_OUTOFMEMORY leaves it zeroed.
    HRESULT copyTo(AM_MEDIA_TYPE& type) const;
    // The VIDEOINFOHEADER of the format block, or null.
    const VIDEOINFOHEADER* videoInfo() const noexcept;
};

// Bytes of one row of a bottom-up 24-bit bitmap: width x 3 rounded up to a
// multiple of 4.
inline LONG bgr24Stride(int width) { return (static_cast<LONG>(width) * 3 + 3) & ~LONG{3}; }

// The subtype DirectShow reports for the video stream.
GUID directShowVideoSubtype(const AVCodecParameters& codec);
// The type of a video or audio stream of the opened file.
MediaTypeValue streamMediaType(const AVStream& stream);
// The type of a whole file delivered as bytes (an AVI file before the
// splitter): MEDIATYPE_Stream / MEDIASUBTYPE_Avi, no format block.
MediaTypeValue aviByteStreamMediaType();
// Uncompressed bottom-up 24-bit RGB frames of the given size.
MediaTypeValue rgb24MediaType(int width, int height, REFERENCE_TIME averageTimePerFrame);

}  // namespace MorvalePlatform
