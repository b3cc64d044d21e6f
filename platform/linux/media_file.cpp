// openMediaFile; see media_file.h.
#include "platform/linux/media_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/linux/frame_size_limits.h"
#include "platform/linux/io_deadline.h"

namespace MorvalePlatform {

const char* const kContainerFormats = "mov,avi,asf,matroska,mpegts,mpeg,flv,wav,w64,aiff,mp3,aac,flac,ogg,ac3,eac3,amr";

namespace {

// A URL scheme: a letter, then letters, digits, "+", "-" or ".".
bool isSchemeName(std::string_view text) {
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) return false;
    for (char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
    }
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
    // Pipes, sockets and devices have no end, or block when opened.
    if (!S_ISREG(info.st_mode)) return MF_E_UNSUPPORTED_BYTESTREAM_TYPE;
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

using OpenFunction = int (*)(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**);

// What FFmpeg may do for one opened file: open that file and nothing else,
// and give up an operation that stalls. Hangs on the context's opaque (which
// demuxers that nest contexts pass on) and goes with it.
struct InputGuard {
    AVFormatContext* format = nullptr;
    std::string url;
    OpenFunction openFile = nullptr;  // FFmpeg's own, which applies the protocol list
    IoDeadline deadline;
};

int interruptWhenStalled(void* opaque) {
    auto* guard = static_cast<InputGuard*>(opaque);
    const AVIOContext* io = guard->format->pb;
    return guard->deadline.expired(IoDeadline::Clock::now(), io ? io->pos : -1) ? 1 : 0;
}

int openOnlyTheFile(AVFormatContext* format, AVIOContext** io, const char* url, int flags, AVDictionary** options) {
    const auto* guard = static_cast<const InputGuard*>(format->opaque);
    if (!guard || !url || guard->url != url || (flags & AVIO_FLAG_WRITE)) return AVERROR(EPERM);
    return guard->openFile(format, io, url, flags, options);
}

// The per-stream options of avformat_find_stream_info: the decoders it
// opens to probe a stream make no frame beyond the platform's limit.
class ProbeOptions {
public:
    explicit ProbeOptions(unsigned streams) : options_(streams, nullptr) {
        for (AVDictionary*& options : options_) {
            av_dict_set_int(&options, "max_pixels", FrameSizeLimits::kMaxPixels, 0);
        }
    }
    ~ProbeOptions() {
        for (AVDictionary*& options : options_) av_dict_free(&options);
    }
    ProbeOptions(const ProbeOptions&) = delete;
    ProbeOptions& operator=(const ProbeOptions&) = delete;

    AVDictionary** get() { return options_.empty() ? nullptr : options_.data(); }

private:
    std::vector<AVDictionary*> options_;
};

// A probing decoder that refuses a frame beyond the limit leaves its stream
// with no size at all; such a stream keeps the size its container claims, so
// that the source reader sees it and refuses to decode it.
struct ClaimedSize {
    int width = 0;
    int height = 0;
};

std::vector<ClaimedSize> claimedSizes(const AVFormatContext& format) {
    std::vector<ClaimedSize> sizes;
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        sizes.push_back({format.streams[i]->codecpar->width, format.streams[i]->codecpar->height});
    }
    return sizes;
}

void keepClaimedSizes(AVFormatContext& format, const std::vector<ClaimedSize>& claimed) {
    for (unsigned i = 0; i < format.nb_streams && i < claimed.size(); ++i) {
        AVCodecParameters& parameters = *format.streams[i]->codecpar;
        if (parameters.codec_type != AVMEDIA_TYPE_VIDEO || parameters.width != 0 || parameters.height != 0) continue;
        if (FrameSizeLimits::accepts(claimed[i].width, claimed[i].height)) continue;
        parameters.width = claimed[i].width;
        parameters.height = claimed[i].height;
    }
}

}  // namespace

bool urlToPath(const std::string& url, std::string& path) {
    const auto scheme = url.find("://");
    if (scheme == std::string::npos || !isSchemeName(std::string_view(url).substr(0, scheme))) {
        path = url;
        return true;
    }
    std::string name = url.substr(0, scheme);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name != "file") return false;
    path = url.substr(scheme + 3);
    if (path.rfind("localhost/", 0) == 0) path.erase(0, 9);
    return true;
}

HRESULT openMediaFile(const std::string& url, FormatContextPtr& format) {
    std::string path;
    if (!urlToPath(url, path)) return MF_E_UNSUPPORTED_SCHEME;
    if (HRESULT hr = fileAccessResult(path); FAILED(hr)) return hr;

    auto guard = std::make_unique<InputGuard>();
    // "file:" keeps FFmpeg from reading protocol names out of the path.
    guard->url = "file:" + path;
    AVFormatContext* opened = avformat_alloc_context();
    if (!opened) return E_OUTOFMEMORY;
    guard->format = opened;
    guard->openFile = opened->io_open;
    opened->opaque = guard.get();
    opened->io_open = openOnlyTheFile;
    opened->interrupt_callback.callback = interruptWhenStalled;
    opened->interrupt_callback.opaque = guard.get();
    opened->protocol_whitelist = av_strdup("file");
    opened->format_whitelist = av_strdup(kContainerFormats);
    if (!opened->protocol_whitelist || !opened->format_whitelist) {
        avformat_free_context(opened);
        return E_OUTOFMEMORY;
    }
    // On failure FFmpeg frees the context; the guard goes with this scope.
    if (avformat_open_input(&opened, guard->url.c_str(), nullptr, nullptr) < 0) {
        return MF_E_UNSUPPORTED_BYTESTREAM_TYPE;
    }
    guard.release();  // the context owns it now
    FormatContextPtr candidate(opened);
    const std::vector<ClaimedSize> claimed = claimedSizes(*candidate);
    ProbeOptions probeOptions(candidate->nb_streams);
    if (avformat_find_stream_info(candidate.get(), probeOptions.get()) < 0 || !hasAudioOrVideo(*candidate)) {
        return MF_E_UNSUPPORTED_BYTESTREAM_TYPE;
    }
    keepClaimedSizes(*candidate, claimed);
    format = std::move(candidate);
    return S_OK;
}

}  // namespace MorvalePlatform

void MorvalePlatform::FormatContextDeleter::operator()(AVFormatContext* context) const {
    std::unique_ptr<InputGuard> guard(context ? static_cast<InputGuard*>(context->opaque) : nullptr);
    avformat_close_input(&context);
}
