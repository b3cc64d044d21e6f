// MFCreateSourceReaderFromURL: opens the file and builds the reader. Needs a
// started platform (MF_E_PLATFORM_NOT_INITIALIZED otherwise); the reader
// attributes are read once, here; quirks set by tests are taken now.
#include <mutex>

#include "platform/linux/media_file.h"
#include "platform/linux/mf_runtime.h"
#include "platform/linux/source_reader.h"
#include "platform/linux/test_hooks.h"
#include "platform/utf.h"

namespace {

bool attributeIsSet(IMFAttributes* attributes, REFGUID key) {
    UINT32 value = 0;
    return attributes && SUCCEEDED(attributes->GetUINT32(key, &value)) && value != 0;
}

}  // namespace

extern "C" HRESULT MFCreateSourceReaderFromURL(const WCHAR* url, IMFAttributes* attributes, IMFSourceReader** reader) {
    MORVALE_INSTRUMENTED_CALL("MFCreateSourceReaderFromURL");
    if (!url || !reader) return E_POINTER;
    *reader = nullptr;
    if (!MorvalePlatform::mediaFoundationStarted()) return MF_E_PLATFORM_NOT_INITIALIZED;
    // The library reports through results only; FFmpeg's own messages would
    // end up on the host's standard error.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });

    const auto path = MorvalePlatform::wideToUtf8(url);
    if (!path) return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    MorvalePlatform::Hooks::InternalCalls internal;
    MorvalePlatform::SourceReader::Options options;
    options.videoProcessing = attributeIsSet(attributes, MF_SOURCE_READER_ENABLE_VIDEO_PROCESSING) ||
                              attributeIsSet(attributes, MF_SOURCE_READER_ENABLE_ADVANCED_VIDEO_PROCESSING);
    options.quirks = MorvalePlatform::Hooks::currentQuirks();
    MorvalePlatform::FormatContextPtr format;
    if (HRESULT hr = MorvalePlatform::openMediaFile(*path, format); FAILED(hr)) return hr;
    *reader = MorvalePlatform::SourceReader::create(std::move(format), options).detach();
    return S_OK;
}
