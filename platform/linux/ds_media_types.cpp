// DirectShow media types of streams; see ds_media_types.h.
#include "platform/linux/ds_media_types.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

#include "platform/linux/codec_subtypes.h"
#include "platform/linux/frame_size_limits.h"

namespace MorvalePlatform {

namespace {

struct RawSubtype {
    AVPixelFormat format;
    const GUID* subtype;
};

const RawSubtype kRawSubtypes[] = {
    {AV_PIX_FMT_BGR24, &MEDIASUBTYPE_RGB24},
    {AV_PIX_FMT_BGR0, &MEDIASUBTYPE_RGB32},
    {AV_PIX_FMT_BGRA, &MEDIASUBTYPE_RGB32},
    {AV_PIX_FMT_RGB565LE, &MEDIASUBTYPE_RGB565},
    {AV_PIX_FMT_RGB555LE, &MEDIASUBTYPE_RGB555},
};

constexpr uint32_t kLowerAvc1 = MorvalePlatformDetail::fourCC("avc1");
constexpr uint32_t kUpperAvc1 = MorvalePlatformDetail::fourCC("AVC1");

REFERENCE_TIME averageTimePerFrame(const AVStream& stream) {
    AVRational rate = stream.avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = stream.r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) return 0;
    return static_cast<REFERENCE_TIME>(std::llround(1e7 * rate.den / rate.num));
}

DWORD bitRate(const AVCodecParameters& codec) {
    if (codec.bit_rate <= 0) return 0;
    return static_cast<DWORD>(std::min<int64_t>(codec.bit_rate, std::numeric_limits<DWORD>::max()));
}

MediaTypeValue videoInfoType(const GUID& subtype, int width, int height, WORD bitCount, DWORD compression,
                             DWORD bitsPerSecond, REFERENCE_TIME timePerFrame) {
    MediaTypeValue type;
    type.majortype = MEDIATYPE_Video;
    type.subtype = subtype;
    type.formattype = FORMAT_VideoInfo;
    VIDEOINFOHEADER header{};
    header.rcSource = RECT{0, 0, width, height};
    header.rcTarget = header.rcSource;
    header.dwBitRate = bitsPerSecond;
    header.AvgTimePerFrame = timePerFrame;
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = bitCount;
    header.bmiHeader.biCompression = compression;
    // A file may claim any size: a picture beyond what the platform decodes
    // states no image size (its frames are refused when asked for).
    const int64_t rowBytes = (int64_t{width} * bitCount + 31) / 32 * 4;
    header.bmiHeader.biSizeImage = FrameSizeLimits::accepts(width, height) ? static_cast<DWORD>(rowBytes * height) : 0;
    type.format.resize(sizeof header);
    std::memcpy(type.format.data(), &header, sizeof header);
    return type;
}

}  // namespace

MediaTypeValue MediaTypeValue::of(const AM_MEDIA_TYPE& type) {
    MediaTypeValue value;
    value.majortype = type.majortype;
    value.subtype = type.subtype;
    value.fixedSizeSamples = type.bFixedSizeSamples;
    value.temporalCompression = type.bTemporalCompression;
    value.sampleSize = type.lSampleSize;
    value.formattype = type.formattype;
    if (type.pbFormat && type.cbFormat > 0) value.format.assign(type.pbFormat, type.pbFormat + type.cbFormat);
    return value;
}

HRESULT MediaTypeValue::copyTo(AM_MEDIA_TYPE& type) const {
    type = AM_MEDIA_TYPE{};
    if (!format.empty()) {
        type.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(format.size()));
        if (!type.pbFormat) return E_OUTOFMEMORY;
        std::memcpy(type.pbFormat, format.data(), format.size());
        type.cbFormat = static_cast<ULONG>(format.size());
    }
    type.majortype = majortype;
    type.subtype = subtype;
    type.bFixedSizeSamples = fixedSizeSamples;
    type.bTemporalCompression = temporalCompression;
    type.lSampleSize = sampleSize;
    type.formattype = formattype;
    return S_OK;
}

const VIDEOINFOHEADER* MediaTypeValue::videoInfo() const noexcept {
    if (formattype != FORMAT_VideoInfo || format.size() < sizeof(VIDEOINFOHEADER)) return nullptr;
    return reinterpret_cast<const VIDEOINFOHEADER*>(format.data());
}

GUID directShowVideoSubtype(const AVCodecParameters& codec) {
    if (codec.codec_id == AV_CODEC_ID_RAWVIDEO) {
        for (const auto& raw : kRawSubtypes) {
            if (raw.format == codec.format) return *raw.subtype;
        }
    }
    if (codec.codec_tag != 0) {
        const uint32_t tag = codec.codec_tag == kLowerAvc1 ? kUpperAvc1 : codec.codec_tag;
        return MorvalePlatformDetail::mediaSubtype(tag);
    }
    return videoSubtypeOf(codec);
}

MediaTypeValue streamMediaType(const AVStream& stream) {
    const AVCodecParameters& codec = *stream.codecpar;
    if (codec.codec_type != AVMEDIA_TYPE_VIDEO) {
        MediaTypeValue type;
        type.majortype = codec.codec_type == AVMEDIA_TYPE_AUDIO ? MEDIATYPE_Audio : GUID_NULL;
        type.subtype = audioSubtypeOf(codec);
        type.formattype = FORMAT_None;
        return type;
    }
    const GUID subtype = directShowVideoSubtype(codec);
    // Uncompressed RGB is BI_RGB in the bitmap header; everything else its FourCC.
    const bool rgb = std::any_of(std::begin(kRawSubtypes), std::end(kRawSubtypes),
                                 [&](const RawSubtype& raw) { return *raw.subtype == subtype; });
    const WORD bitCount = codec.bits_per_coded_sample > 0 ? static_cast<WORD>(codec.bits_per_coded_sample) : 24;
    MediaTypeValue type = videoInfoType(subtype, codec.width, codec.height, bitCount,
                                        rgb ? static_cast<DWORD>(BI_RGB) : subtype.Data1, bitRate(codec),
                                        averageTimePerFrame(stream));
    type.temporalCompression = allSamplesIndependent(codec) ? FALSE : TRUE;
    return type;
}

MediaTypeValue aviByteStreamMediaType() {
    MediaTypeValue type;
    type.majortype = MEDIATYPE_Stream;
    type.subtype = MEDIASUBTYPE_Avi;
    type.sampleSize = 1;
    type.fixedSizeSamples = TRUE;
    type.formattype = FORMAT_None;
    return type;
}

MediaTypeValue rgb24MediaType(int width, int height, REFERENCE_TIME averageTimePerFrame) {
    MediaTypeValue type = videoInfoType(MEDIASUBTYPE_RGB24, width, height, 24, BI_RGB, 0, averageTimePerFrame);
    type.fixedSizeSamples = TRUE;
    type.sampleSize = static_cast<ULONG>(bgr24Stride(width)) * static_cast<ULONG>(height);
    return type;
}

}  // namespace MorvalePlatform
