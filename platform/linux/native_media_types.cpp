// Native media types; see native_media_types.h.
#include "platform/linux/native_media_types.h"

#include <algorithm>

#include "platform/linux/codec_subtypes.h"

namespace MorvalePlatform {

namespace {

UINT32 clampToUINT32(int64_t value) {
    return static_cast<UINT32>(std::clamp<int64_t>(value, 0, UINT32_MAX));
}

MFVideoInterlaceMode interlaceModeOf(AVFieldOrder order) {
    switch (order) {
        case AV_FIELD_TT:
        case AV_FIELD_TB: return MFVideoInterlace_FieldInterleavedUpperFirst;
        case AV_FIELD_BB:
        case AV_FIELD_BT: return MFVideoInterlace_FieldInterleavedLowerFirst;
        default: return MFVideoInterlace_Progressive;
    }
}

}  // namespace

AVRational streamFrameRate(const AVStream& stream) {
    if (stream.avg_frame_rate.num > 0 && stream.avg_frame_rate.den > 0) return stream.avg_frame_rate;
    if (stream.r_frame_rate.num > 0 && stream.r_frame_rate.den > 0) return stream.r_frame_rate;
    return AVRational{0, 0};
}

ComPtr<MediaType> nativeVideoType(const AVStream& stream) {
    const AVCodecParameters& codec = *stream.codecpar;
    ComPtr<MediaType> type = MediaType::create();
    AttributeStore& attributes = type->attributes();
    attributes.setGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    attributes.setGUID(MF_MT_SUBTYPE, videoSubtypeOf(codec));
    if (codec.width > 0 && codec.height > 0) {
        attributes.setUINT64(MF_MT_FRAME_SIZE, Pack2UINT32AsUINT64(static_cast<UINT32>(codec.width),
                                                                    static_cast<UINT32>(codec.height)));
    }
    const AVRational rate = streamFrameRate(stream);
    if (rate.num > 0) {
        attributes.setUINT64(MF_MT_FRAME_RATE,
                             Pack2UINT32AsUINT64(static_cast<UINT32>(rate.num), static_cast<UINT32>(rate.den)));
    }
    const AVRational aspect = codec.sample_aspect_ratio;
    attributes.setUINT64(MF_MT_PIXEL_ASPECT_RATIO,
                         aspect.num > 0 && aspect.den > 0
                             ? Pack2UINT32AsUINT64(static_cast<UINT32>(aspect.num), static_cast<UINT32>(aspect.den))
                             : Pack2UINT32AsUINT64(1, 1));
    attributes.setUINT32(MF_MT_INTERLACE_MODE, interlaceModeOf(codec.field_order));
    if (codec.bit_rate > 0) attributes.setUINT32(MF_MT_AVG_BITRATE, clampToUINT32(codec.bit_rate));
    attributes.setUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, allSamplesIndependent(codec) ? 1 : 0);
    return type;
}

ComPtr<MediaType> nativeAudioType(const AVStream& stream) {
    const AVCodecParameters& codec = *stream.codecpar;
    ComPtr<MediaType> type = MediaType::create();
    AttributeStore& attributes = type->attributes();
    const GUID subtype = audioSubtypeOf(codec);
    const auto channels = static_cast<UINT32>(std::max(codec.ch_layout.nb_channels, 0));
    attributes.setGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    attributes.setGUID(MF_MT_SUBTYPE, subtype);
    attributes.setUINT32(MF_MT_AUDIO_NUM_CHANNELS, channels);
    attributes.setUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, clampToUINT32(codec.sample_rate));
    if (subtype == MFAudioFormat_PCM || subtype == MFAudioFormat_Float) {
        const auto bits = static_cast<UINT32>(av_get_bits_per_sample(codec.codec_id));
        attributes.setUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, bits);
        attributes.setUINT32(MF_MT_AUDIO_BLOCK_ALIGNMENT, channels * bits / 8);
        attributes.setUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND,
                             clampToUINT32(int64_t{codec.sample_rate} * channels * bits / 8));
    } else {
        if (codec.bit_rate > 0) attributes.setUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, clampToUINT32(codec.bit_rate / 8));
        if (codec.block_align > 0) attributes.setUINT32(MF_MT_AUDIO_BLOCK_ALIGNMENT, clampToUINT32(codec.block_align));
    }
    attributes.setUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, 1);
    return type;
}

}  // namespace MorvalePlatform
