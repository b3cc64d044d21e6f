#include "audio/audio_output_extensions.h"

#include <cctype>

namespace TravexUtils {

const std::set<std::string>& audioOutputExtensions() {
    static const std::set<std::string> extensions{"m4a",  "m4b", "m4v",  "mp1", "mp2",  "mp3",  "mp4",
                                                  "3gp",  "3gpp", "3g2", "3gp2", "aac", "ac3",  "adts",
                                                  "amr",  "aiff", "aiffc", "caf", "wav",  "flac"};
    return extensions;
}

namespace {

// Built when the library is loaded, never changed afterwards.
[[maybe_unused]] const std::set<std::string>& kBuiltAtLoad = audioOutputExtensions();

}  // namespace

bool isAudioOutputExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return audioOutputExtensions().count(extension) != 0;
}

}  // namespace TravexUtils
