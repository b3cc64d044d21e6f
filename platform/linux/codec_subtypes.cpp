// Codec -> subtype mapping; see codec_subtypes.h.
#include "platform/linux/codec_subtypes.h"

namespace MorvalePlatform {

namespace {

struct CodecSubtype {
    AVCodecID codec;
    GUID subtype;
};

constexpr CodecSubtype kVideoSubtypes[] = {
    {AV_CODEC_ID_H264, MFVideoFormat_H264},       {AV_CODEC_ID_HEVC, MFVideoFormat_HEVC},
    {AV_CODEC_ID_MPEG4, MFVideoFormat_MP4V},      {AV_CODEC_ID_MJPEG, MFVideoFormat_MJPG},
    {AV_CODEC_ID_VP8, MFVideoFormat_VP80},        {AV_CODEC_ID_VP9, MFVideoFormat_VP90},
    {AV_CODEC_ID_WMV1, MFVideoFormat_WMV1},       {AV_CODEC_ID_WMV2, MFVideoFormat_WMV2},
    {AV_CODEC_ID_WMV3, MFVideoFormat_WMV3},       {AV_CODEC_ID_VC1, MFVideoFormat_WVC1},
    {AV_CODEC_ID_MPEG1VIDEO, MFVideoFormat_MPG1}, {AV_CODEC_ID_MPEG2VIDEO, MFVideoFormat_MPEG2},
    {AV_CODEC_ID_H263, MFVideoFormat_H263},       {AV_CODEC_ID_AV1, MFVideoFormat_AV1},
    {AV_CODEC_ID_MSMPEG4V3, MFVideoFormat_MP43},  {AV_CODEC_ID_THEORA, MFVideoFormat_Theora},
    {AV_CODEC_ID_DVVIDEO, MFVideoFormat_DVSD},
};

struct RawSubtype {
    AVPixelFormat format;
    GUID subtype;
};

constexpr RawSubtype kRawSubtypes[] = {
    {AV_PIX_FMT_BGR24, MFVideoFormat_RGB24},     {AV_PIX_FMT_BGR0, MFVideoFormat_RGB32},
    {AV_PIX_FMT_BGRA, MFVideoFormat_ARGB32},     {AV_PIX_FMT_RGB565LE, MFVideoFormat_RGB565},
    {AV_PIX_FMT_RGB555LE, MFVideoFormat_RGB555}, {AV_PIX_FMT_PAL8, MFVideoFormat_RGB8},
    {AV_PIX_FMT_GRAY8, MFVideoFormat_L8},        {AV_PIX_FMT_YUYV422, MFVideoFormat_YUY2},
    {AV_PIX_FMT_UYVY422, MFVideoFormat_UYVY},    {AV_PIX_FMT_NV12, MFVideoFormat_NV12},
    {AV_PIX_FMT_YUV420P, MFVideoFormat_I420},
};

constexpr CodecSubtype kAudioSubtypes[] = {
    {AV_CODEC_ID_AAC, MFAudioFormat_AAC},
    {AV_CODEC_ID_MP3, MFAudioFormat_MP3},
    {AV_CODEC_ID_MP2, MFAudioFormat_MPEG},
    {AV_CODEC_ID_MP1, MFAudioFormat_MPEG},
    {AV_CODEC_ID_AC3, MFAudioFormat_Dolby_AC3},
    {AV_CODEC_ID_FLAC, MFAudioFormat_FLAC},
    {AV_CODEC_ID_ALAC, MFAudioFormat_ALAC},
    {AV_CODEC_ID_OPUS, MFAudioFormat_Opus},
    {AV_CODEC_ID_VORBIS, MFAudioFormat_Vorbis},
    {AV_CODEC_ID_DTS, MFAudioFormat_DTS},
    {AV_CODEC_ID_WMAV2, MFAudioFormat_WMAudioV8},
    {AV_CODEC_ID_WMAPRO, MFAudioFormat_WMAudioV9},
    {AV_CODEC_ID_WMALOSSLESS, MFAudioFormat_WMAudio_Lossless},
    {AV_CODEC_ID_PCM_U8, MFAudioFormat_PCM},
    {AV_CODEC_ID_PCM_S16LE, MFAudioFormat_PCM},
    {AV_CODEC_ID_PCM_S24LE, MFAudioFormat_PCM},
    {AV_CODEC_ID_PCM_S32LE, MFAudioFormat_PCM},
    {AV_CODEC_ID_PCM_F32LE, MFAudioFormat_Float},
    {AV_CODEC_ID_PCM_F64LE, MFAudioFormat_Float},
};

// The FourCC the container gave the stream, or the one FFmpeg's RIFF tables
// give the codec; 0 when neither knows one.
uint32_t fourCCOf(const AVCodecParameters& codec, const AVCodecTag* const* tables) {
    if (codec.codec_tag != 0) return codec.codec_tag;
    return av_codec_get_tag(tables, codec.codec_id);
}

}  // namespace

GUID videoSubtypeOf(const AVCodecParameters& codec) {
    if (codec.codec_id == AV_CODEC_ID_RAWVIDEO) {
        for (const auto& raw : kRawSubtypes) {
            if (raw.format == codec.format) return raw.subtype;
        }
    }
    for (const auto& known : kVideoSubtypes) {
        if (known.codec == codec.codec_id) return known.subtype;
    }
    const AVCodecTag* const tables[] = {avformat_get_riff_video_tags(), nullptr};
    return MorvalePlatformDetail::mediaSubtype(fourCCOf(codec, tables));
}

GUID audioSubtypeOf(const AVCodecParameters& codec) {
    for (const auto& known : kAudioSubtypes) {
        if (known.codec == codec.codec_id) return known.subtype;
    }
    const AVCodecTag* const tables[] = {avformat_get_riff_audio_tags(), nullptr};
    return MorvalePlatformDetail::mediaSubtype(fourCCOf(codec, tables) & 0xFFFF);
}

bool allSamplesIndependent(const AVCodecParameters& codec) {
    if (codec.codec_type == AVMEDIA_TYPE_AUDIO) return true;
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec.codec_id);
    return descriptor && (descriptor->props & AV_CODEC_PROP_INTRA_ONLY) != 0;
}

}  // namespace MorvalePlatform
