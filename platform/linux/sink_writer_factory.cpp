// MFCreateSinkWriterFromURL: picks the container from the extension, creates
// the file and builds the writer. Results: before MFStartup
// MF_E_PLATFORM_NOT_INITIALIZED; a byte stream or attributes E_INVALIDARG
// (not supported); a scheme other than file:// MF_E_UNSUPPORTED_SCHEME; a
// path that is not UTF-8 HRESULT_FROM_WIN32(ERROR_INVALID_NAME); an unknown
// or missing extension MF_E_UNSUPPORTED_BYTESTREAM_TYPE (no file is
// created); then the results of createOutputFile.
extern "C" {
#include <libavutil/opt.h>
}

#include "platform/linux/ffmpeg_log.h"
#include "platform/linux/media_file.h"
#include "platform/linux/mf_runtime.h"
#include "platform/linux/output_container.h"
#include "platform/linux/output_file.h"
#include "platform/linux/sink_writer.h"
#include "platform/linux/test_hooks.h"
#include "platform/utf.h"

extern "C" HRESULT MFCreateSinkWriterFromURL(const WCHAR* url, IMFByteStream* bytestream, IMFAttributes* attributes,
                                             IMFSinkWriter** writer) {
    MORVALE_INSTRUMENTED_CALL("MFCreateSinkWriterFromURL");
    if (!url || !writer) return E_POINTER;
    *writer = nullptr;
    if (bytestream || attributes) return E_INVALIDARG;
    if (!MorvalePlatform::mediaFoundationStarted()) return MF_E_PLATFORM_NOT_INITIALIZED;
    MorvalePlatform::silenceFfmpegLog();

    const auto text = MorvalePlatform::wideToUtf8(url);
    if (!text) return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    std::string path;
    if (!MorvalePlatform::urlToPath(*text, path)) return MF_E_UNSUPPORTED_SCHEME;
    const AVOutputFormat* format = MorvalePlatform::containerForPath(path);
    if (!format) return MF_E_UNSUPPORTED_BYTESTREAM_TYPE;

    AVFormatContext* allocated = nullptr;
    if (avformat_alloc_output_context2(&allocated, format, nullptr, nullptr) < 0 || !allocated) return E_OUTOFMEMORY;
    MorvalePlatform::OutputContextPtr container(allocated);
    // MP4 and QuickTime state durations (the file's, each track's edit list)
    // in the movie's clock, milliseconds unless told: 1/90000 s, the video's
    // own clock, keeps the end of the last frame exact.
    if (container->priv_data && av_opt_find(container->priv_data, "movie_timescale", nullptr, 0, 0)) {
        av_opt_set_int(container->priv_data, "movie_timescale", 90000, 0);
    }
    if (HRESULT hr = MorvalePlatform::createOutputFile(path, &container->pb); FAILED(hr)) return hr;
    *writer = MorvalePlatform::SinkWriter::create(std::move(container)).detach();
    return S_OK;
}
