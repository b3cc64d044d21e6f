// Extension -> muxer table; see output_container.h.
#include "platform/linux/output_container.h"

#include <cctype>
#include <filesystem>

namespace MorvalePlatform {

namespace {

struct ExtensionMuxer {
    const char* extension;
    const char* muxer;
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
    return avformat_query_codec(&container, codec, FF_COMPLIANCE_NORMAL) != 0;
}

}  // namespace MorvalePlatform
