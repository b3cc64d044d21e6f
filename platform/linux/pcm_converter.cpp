// PcmConverter; see pcm_converter.h.
#include "platform/linux/pcm_converter.h"

#include <cstring>

namespace MorvalePlatform {

namespace {

AVSampleFormat sampleFormatOf(const PcmFormat& format) {
    if (format.floatingPoint) return AV_SAMPLE_FMT_FLT;
    switch (format.bitsPerSample) {
        case 8: return AV_SAMPLE_FMT_U8;
        case 16: return AV_SAMPLE_FMT_S16;
        default: return AV_SAMPLE_FMT_S32;  // 24-bit is packed from 32 below
    }
}

}  // namespace

HRESULT PcmConverter::prepare(const AVFrame& frame) {
    if (resampler_ && frame.sample_rate == inputRate_ && frame.format == inputFormat_ &&
        av_channel_layout_compare(&frame.ch_layout, &inputLayout_) == 0) {
        return S_OK;
    }
    AVChannelLayout input{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(&input, frame.ch_layout.nb_channels);
    } else if (av_channel_layout_copy(&input, &frame.ch_layout) < 0) {
        return E_OUTOFMEMORY;
    }
    AVChannelLayout output{};
    av_channel_layout_default(&output, format_.channels);
    SwrContext* made = nullptr;
    const int result = swr_alloc_set_opts2(&made, &output, sampleFormatOf(format_), format_.sampleRate, &input,
                                           static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
    SwrContextPtr resampler(made);
    av_channel_layout_uninit(&input);
    av_channel_layout_uninit(&output);
    if (result < 0 || swr_init(resampler.get()) < 0) return MF_E_INVALIDMEDIATYPE;
    resampler_ = std::move(resampler);
    inputRate_ = frame.sample_rate;
    inputFormat_ = frame.format;
    av_channel_layout_uninit(&inputLayout_);
    av_channel_layout_copy(&inputLayout_, &frame.ch_layout);
    return S_OK;
}

HRESULT PcmConverter::convert(const AVFrame* frame, ComPtr<MemoryBuffer>& buffer, int& frames) {
    frames = 0;
    if (frame) {
        if (HRESULT hr = prepare(*frame); FAILED(hr)) return hr;
    } else if (!resampler_) {
        return S_OK;
    }
    const int inputFrames = frame ? frame->nb_samples : 0;
    const int capacity = swr_get_out_samples(resampler_.get(), inputFrames);
    if (capacity <= 0) return S_OK;
    const int workBytesPerFrame = format_.channels * av_get_bytes_per_sample(sampleFormatOf(format_));
    auto converted = MemoryBuffer::create(static_cast<DWORD>(capacity * workBytesPerFrame));
    if (!converted) return E_OUTOFMEMORY;
    uint8_t* output[1] = {converted->data()};
    const int got = swr_convert(resampler_.get(), output, capacity,
                                frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr, inputFrames);
    if (got < 0) return MF_E_INVALID_STREAM_DATA;
    if (got == 0) return S_OK;
    if (format_.bitsPerSample == 24 && !format_.floatingPoint) {
        // Keep the upper three bytes of each 32-bit sample, in place.
        uint8_t* bytes = converted->data();
        for (int i = 0; i < got * format_.channels; ++i) std::memmove(bytes + i * 3, bytes + i * 4 + 1, 3);
    }
    converted->SetCurrentLength(static_cast<DWORD>(got * format_.blockAlign()));
    buffer = std::move(converted);
    frames = got;
    return S_OK;
}

}  // namespace MorvalePlatform
