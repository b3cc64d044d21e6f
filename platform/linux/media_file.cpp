// openMediaFile; see media_file.h.
#include "platform/linux/media_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace MorvalePlatform {

namespace {

// The path of a file:// URL ("file:///a/b" and "file://localhost/a/b"), the
// text itself for a plain path; empty when another scheme is named.
bool urlToPath(const std::string& url, std::string& path) {
    const auto scheme = url.find("://");
    if (scheme == std::string::npos) {
        path = url;
        return true;
    }
    if (url.compare(0, scheme, "file") != 0) return false;
    path = url.substr(scheme + 3);
    if (path.rfind("localhost/", 0) == 0) path.erase(0, 9);
    return true;
}

HRESULT fileAccessResult(const std::string& path) {
    struct stat info{};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == EACCES) return E_ACCESSDENIED;
        const auto folder = std::filesystem::path(path).parent_path();
        std::error_code error;
        if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        }
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    if (S_ISDIR(info.st_mode)) return E_ACCESSDENIED;
    if (::access(path.c_str(), R_OK) != 0) return E_ACCESSDENIED;
    if (info.st_size == 0) return MF_E_UNSUPPORTED_BYTESTREAM_TYPE;
    return S_OK;
}

bool hasAudioOrVideo(const AVFormatContext& format) {
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        const AVMediaType type = format.streams[i]->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO) return true;
    }
    return false;
}

}  // namespace

HRESULT openMediaFile(const std::string& url, FormatContextPtr& format) {
    std::string path;
    if (!urlToPath(url, path)) return MF_E_UNSUPPORTED_SCHEME;
    if (HRESULT hr = fileAccessResult(path); FAILED(hr)) return hr;
    AVFormatContext* opened = nullptr;
    // "file:" keeps FFmpeg from reading protocol names out of the path.
    if (avformat_open_input(&opened, ("file:" + path).c_str(), nullptr, nullptr) < 0) {
        return MF_E_UNSUPPORTED_BYTESTREAM_TYPE;
    }
    FormatContextPtr candidate(opened);
    if (avformat_find_stream_info(candidate.get(), nullptr) < 0 || !hasAudioOrVideo(*candidate)) {
        return MF_E_UNSUPPORTED_BYTESTREAM_TYPE;
    }
    format = std::move(candidate);
    return S_OK;
}

}  // namespace MorvalePlatform
