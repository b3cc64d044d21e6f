// createOutputFile; see output_file.h.
#include "platform/linux/output_file.h"

#include <cerrno>
#include <filesystem>

namespace MorvalePlatform {

namespace {

HRESULT resultOfError(int error) {
    switch (error) {
        case AVERROR(EACCES):
        case AVERROR(EPERM):
        case AVERROR(EISDIR):
        case AVERROR(EROFS):
            return E_ACCESSDENIED;
        case AVERROR(ENOENT):
        case AVERROR(ENOTDIR):
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        case AVERROR(ENOMEM):
            return E_OUTOFMEMORY;
        default:
            return E_FAIL;
    }
}

}  // namespace

HRESULT createOutputFile(const std::string& path, AVIOContext** io) {
    *io = nullptr;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return E_ACCESSDENIED;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // "file:" keeps FFmpeg from reading a protocol name out of the path.
    const int result = avio_open2(io, ("file:" + path).c_str(), AVIO_FLAG_WRITE, nullptr, &options);
    av_dict_free(&options);
    return result < 0 ? resultOfError(result) : S_OK;
}

}  // namespace MorvalePlatform
