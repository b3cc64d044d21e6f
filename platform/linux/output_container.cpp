// Extension -> muxer table; see output_container.h.
#include "platform/linux/output_container.h"

#include <cctype>
#include <cstring>
#include <filesystem>

namespace MorvalePlatform {

namespace {

struct ExtensionMuxer {
    const char* extension;
    const char* muxer;
};

// Containers of one kind of stream, as Windows' sinks for them: an MP3 file
// holds MP3, a WAVE file PCM, and so on, whatever else FFmpeg could put in.
struct SingleCodecMuxer {
    const char* muxer;
    AVCodecID codec;
};

constexpr SingleCodecMuxer kSingleCodecMuxers[] = {
    {"mp3", AV_CODEC_ID_MP3},   {"adts", AV_CODEC_ID_AAC},   {"wav", AV_CODEC_ID_PCM_S16LE},
    {"flac", AV_CODEC_ID_FLAC}, {"ac3", AV_CODEC_ID_AC3},    {"amr", AV_CODEC_ID_AMR_NB},
};

constexpr ExtensionMuxer kContainers[] = {
    {"mp4", "mp4"},   {"m4v", "mp4"},  {"mov", "mov"},       {"3gp", "3gp"},  {"3gpp", "3gp"}, {"3g2", "3g2"},
    {"3gp2", "3g2"},  {"m4a", "ipod"}, {"m4b", "ipod"},      {"avi", "avi"},  {"mkv", "matroska"},
    {"wmv", "asf"},   {"wma", "asf"},  {"asf", "asf"},       {"mp3", "mp3"},  {"aac", "adts"}, {"adts", "adts"},
    {"wav", "wav"},   {"flac", "flac"}, {"ac3", "ac3"},      {"amr", "amr"},
};

}  // namespace

const AVOutputFormat* containerForPath(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (extension.size() < 2) return nullptr;
    extension.erase(0, 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const ExtensionMuxer& entry : kContainers) {
        if (extension == entry.extension) return av_guess_format(entry.muxer, nullptr, nullptr);
    }
    return nullptr;
}

bool containerCarries(const AVOutputFormat& container, AVCodecID codec) {
    for (const SingleCodecMuxer& single : kSingleCodecMuxers) {
        if (std::strcmp(container.name, single.muxer) == 0) return codec == single.codec;
    }
    return avformat_query_codec(&container, codec, FF_COMPLIANCE_NORMAL) != 0;
}

}  // namespace MorvalePlatform
