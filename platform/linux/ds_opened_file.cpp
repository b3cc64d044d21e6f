// OpenedFile; see ds_opened_file.h.
#include "platform/linux/ds_opened_file.h"

#include <cstring>
#include <mutex>

#include "platform/linux/media_file.h"
#include "platform/linux/presentation_duration.h"
#include "platform/linux/time_bases.h"
#include "platform/utf.h"

namespace MorvalePlatform {

namespace {

HRESULT directShowOpenResult(HRESULT opened) {
    if (opened == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || opened == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) {
        return VFW_E_NOT_FOUND;
    }
    if (opened == E_ACCESSDENIED || opened == E_OUTOFMEMORY) return opened;
    return VFW_E_UNKNOWN_FILE_TYPE;
}

}  // namespace

HRESULT OpenedFile::open(const std::wstring& path, std::shared_ptr<OpenedFile>& file) {
    // The library reports through results only; FFmpeg's own messages would
    // end up on the host's standard error.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    const auto utf8 = wideToUtf8(path);
    if (!utf8) return VFW_E_NOT_FOUND;
    FormatContextPtr format;
    if (HRESULT hr = openMediaFile(*utf8, format); FAILED(hr)) return directShowOpenResult(hr);
    file.reset(new OpenedFile(std::move(format)));
    return S_OK;
}

OpenedFile::OpenedFile(FormatContextPtr format) : packets_(std::move(format)) {
    AVFormatContext& opened = packets_.format();
    avi_ = opened.iformat && std::strcmp(opened.iformat->name, "avi") == 0;
    const std::optional<int64_t> fileDuration = presentationDuration(opened);
    duration_ = fileDuration ? av_rescale_q(*fileDuration, kAvTimeBase, kHundredNanoseconds) : 0;
    for (unsigned i = 0; i < opened.nb_streams; ++i) {
        const AVStream& stream = *opened.streams[i];
        const AVMediaType kind = stream.codecpar->codec_type;
        if (kind != AVMEDIA_TYPE_VIDEO && kind != AVMEDIA_TYPE_AUDIO) continue;
        StreamFacts facts;
        facts.index = static_cast<int>(i);
        facts.video = kind == AVMEDIA_TYPE_VIDEO;
        facts.decodable = avcodec_find_decoder(stream.codecpar->codec_id) != nullptr;
        facts.type = streamMediaType(stream);
        facts.duration = stream.duration != AV_NOPTS_VALUE && stream.duration > 0
                             ? av_rescale_q(stream.duration, stream.time_base, kHundredNanoseconds)
                             : duration_;
        streams_.push_back(std::move(facts));
    }
}

const OpenedFile::StreamFacts* OpenedFile::stream(int index) const noexcept {
    for (const StreamFacts& facts : streams_) {
        if (facts.index == index) return &facts;
    }
    return nullptr;
}

}  // namespace MorvalePlatform
