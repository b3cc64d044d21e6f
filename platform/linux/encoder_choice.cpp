// Subtype -> FFmpeg codec table; see encoder_choice.h.
#include "platform/linux/encoder_choice.h"

namespace MorvalePlatform {

namespace {

// libx264's lookahead and the frames its threads hold make most of a
// writer's memory (near 500 MiB at 1080p with its defaults): a 10-frame
// rate-control lookahead fed 2 frames ahead keeps it under 300 MiB, at the
// same speed and quality at the bit rates a writer is given.
constexpr EncoderOption kX264Options[] = {{"x264-params", "rc-lookahead=10:sync-lookahead=2"}};
constexpr EncoderOption kX265Options[] = {{"x265-params", "log-level=none"}};
// libvpx's default is its slowest "good" setting; this keeps writing near
// real time at a small quality cost, with rows encoded in parallel.
constexpr EncoderOption kVpxOptions[] = {{"deadline", "good"}, {"cpu-used", "4"}, {"row-mt", "1"}};

constexpr std::span<const EncoderOption> kNoOptions{};

const CodecChoice kChoices[] = {
    {MFVideoFormat_H264, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_H264, "libx264", "h264", false, AV_PIX_FMT_NONE, kX264Options},
    {MFVideoFormat_HEVC, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_HEVC, "libx265", "hevc", false, AV_PIX_FMT_NONE, kX265Options},
    {MFVideoFormat_H265, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_HEVC, "libx265", "hevc", false, AV_PIX_FMT_NONE, kX265Options},
    {MFVideoFormat_MP4V, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MPEG4, "mpeg4", "mpeg4", false, AV_PIX_FMT_NONE, kNoOptions},
    {MFVideoFormat_M4S2, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MPEG4, "mpeg4", "mpeg4", false, AV_PIX_FMT_NONE, kNoOptions},
    {MFVideoFormat_MP4S, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MPEG4, "mpeg4", "mpeg4", false, AV_PIX_FMT_NONE, kNoOptions},
    {MFVideoFormat_MP43, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MSMPEG4V3, "msmpeg4", "msmpeg4", true, AV_PIX_FMT_NONE,
     kNoOptions},
    {MFVideoFormat_MJPG, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MJPEG, "mjpeg", "mjpeg", false, AV_PIX_FMT_NONE, kNoOptions},
    {MFVideoFormat_VP80, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_VP8, "libvpx", "vp8", false, AV_PIX_FMT_NONE, kVpxOptions},
    {MFVideoFormat_VP90, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_VP9, "libvpx-vp9", "vp9", false, AV_PIX_FMT_NONE, kVpxOptions},
    {MFVideoFormat_WMV1, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_WMV1, "wmv1", "wmv1", true, AV_PIX_FMT_NONE, kNoOptions},
    {MFVideoFormat_WMV2, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_WMV2, "wmv2", "wmv2", true, AV_PIX_FMT_NONE, kNoOptions},
    {MFVideoFormat_WMV3, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_WMV3, nullptr, "wmv3", true, AV_PIX_FMT_NONE, kNoOptions},
    {MFVideoFormat_WVC1, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_VC1, nullptr, "vc1", true, AV_PIX_FMT_NONE, kNoOptions},
    {MFVideoFormat_MPG1, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MPEG1VIDEO, "mpeg1video", "mpeg1video", true, AV_PIX_FMT_NONE,
     kNoOptions},
    {MFVideoFormat_MPEG2, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MPEG2VIDEO, "mpeg2video", "mpeg2video", true,
     AV_PIX_FMT_NONE, kNoOptions},
    {MFVideoFormat_H263, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_H263, "h263", "h263", true, AV_PIX_FMT_NONE, kNoOptions},
    {MFVideoFormat_RGB24, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_RAWVIDEO, "rawvideo", "rawvideo", false, AV_PIX_FMT_BGR24,
     kNoOptions},
    {MFVideoFormat_RGB32, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_RAWVIDEO, "rawvideo", "rawvideo", false, AV_PIX_FMT_BGRA,
     kNoOptions},
    {MFAudioFormat_AAC, AVMEDIA_TYPE_AUDIO, AV_CODEC_ID_AAC, "aac", "aac", false, AV_PIX_FMT_NONE, kNoOptions},
};

}  // namespace

const CodecChoice* codecChoiceFor(const GUID& subtype) {
    for (const CodecChoice& choice : kChoices) {
        if (choice.subtype == subtype) return &choice;
    }
    return nullptr;
}

std::span<const CodecChoice> codecChoices() { return kChoices; }

}  // namespace MorvalePlatform
