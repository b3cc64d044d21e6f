// FFmpeg's log goes nowhere: the library reports through results only, and
// FFmpeg's own messages would end up on the host's standard error.
#pragma once

#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace MorvalePlatform {

inline void silenceFfmpegLog() {
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace MorvalePlatform
