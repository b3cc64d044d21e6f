// PcmConverter: turns decoded audio frames into interleaved PCM buffers of
// the format a caller set as the current type (8, 16, 24 or 32-bit integer,
// or 32-bit float), with the requested channel count and sample rate. One
// SwrContext per stream, made on the first frame and remade when the input
// format changes. Used by one reader under its lock.
#pragma once

#include "platform/com_ptr.h"
#include "platform/linux/ffmpeg_handles.h"
#include "platform/linux/memory_buffer.h"

namespace MorvalePlatform {

struct PcmFormat {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 16;
    bool floatingPoint = false;

    int blockAlign() const { return channels * bitsPerSample / 8; }
};

class PcmConverter {
public:
    explicit PcmConverter(const PcmFormat& format) : format_(format) {}
    PcmConverter(const PcmConverter&) = delete;
    PcmConverter& operator=(const PcmConverter&) = delete;
    ~PcmConverter() { av_channel_layout_uninit(&inputLayout_); }

    const PcmFormat& format() const noexcept { return format_; }

    // Converts one frame, or with a null frame what the resampler still
    // holds. frames receives the number of sample frames in the buffer (0
    // when nothing came out: no buffer then).
    HRESULT convert(const AVFrame* frame, ComPtr<MemoryBuffer>& buffer, int& frames);

private:
    HRESULT prepare(const AVFrame& frame);

    PcmFormat format_;
    SwrContextPtr resampler_;
    int inputRate_ = 0;
    int inputFormat_ = -1;
    AVChannelLayout inputLayout_{};
};

}  // namespace MorvalePlatform
