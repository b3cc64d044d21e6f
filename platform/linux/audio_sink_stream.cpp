// The audio stream of a sink writer; see audio_sink_stream.h.
#include "platform/linux/audio_sink_stream.h"

#include "platform/linux/time_bases.h"

namespace MorvalePlatform {

namespace {

constexpr UINT32 kMaxChannels = 8;
constexpr int kBytesPerValue = 2;

class AudioSinkStream final : public SinkStream {
public:
    AudioSinkStream(AVFormatContext& container, const CodecChoice& choice) : SinkStream(container, choice) {}

private:
    HRESULT readOutputType(IMFMediaType* type) override {
        if (FAILED(type->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &sampleRate_)) || sampleRate_ == 0 ||
            sampleRate_ > 384000 || FAILED(type->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels_)) ||
            channels_ == 0 || channels_ > kMaxChannels) {
            return MF_E_INVALIDMEDIATYPE;
        }
        if (MFGetAttributeUINT32(type, MF_MT_AUDIO_BITS_PER_SAMPLE, 16) != 16) return MF_E_INVALIDMEDIATYPE;
        bitRate_ = MFGetAttributeUINT32(type, MF_MT_AUDIO_AVG_BYTES_PER_SECOND, 0) * 8ull;
        return S_OK;
    }

    HRESULT readInputType(IMFMediaType* type) override {
        GUID major{};
        GUID subtype{};
        if (FAILED(type->GetGUID(MF_MT_MAJOR_TYPE, &major)) || major != MFMediaType_Audio ||
            FAILED(type->GetGUID(MF_MT_SUBTYPE, &subtype)) || subtype != MFAudioFormat_PCM) {
            return MF_E_INVALIDMEDIATYPE;
        }
        if (MFGetAttributeUINT32(type, MF_MT_AUDIO_BITS_PER_SAMPLE, 16) != 16 ||
            MFGetAttributeUINT32(type, MF_MT_AUDIO_SAMPLES_PER_SECOND, 0) != sampleRate_ ||
            MFGetAttributeUINT32(type, MF_MT_AUDIO_NUM_CHANNELS, 0) != channels_) {
            return MF_E_INVALIDMEDIATYPE;
        }
        return S_OK;
    }

    void configureEncoder(AVCodecContext& encoder, const AVCodec& codec) override {
        encoder.sample_rate = static_cast<int>(sampleRate_);
        encoder.time_base = AVRational{1, static_cast<int>(sampleRate_)};
        av_channel_layout_default(&encoder.ch_layout, static_cast<int>(channels_));
        encoder.sample_fmt = codec.sample_fmts ? codec.sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
        if (bitRate_ > 0) encoder.bit_rate = static_cast<int64_t>(bitRate_);
    }

    HRESULT prepareConversion(AVCodecContext& encoder) override {
        // Planar float is what FFmpeg's AAC encoder takes.
        if (encoder.sample_fmt != AV_SAMPLE_FMT_FLTP) return MF_E_TOPO_CODEC_NOT_FOUND;
        frameSize_ = encoder.frame_size > 0 ? encoder.frame_size : 1024;
        frame_.reset(av_frame_alloc());
        if (!frame_) return E_OUTOFMEMORY;
        frame_->format = encoder.sample_fmt;
        frame_->nb_samples = frameSize_;
        frame_->sample_rate = encoder.sample_rate;
        if (av_channel_layout_copy(&frame_->ch_layout, &encoder.ch_layout) < 0 ||
            av_frame_get_buffer(frame_.get(), 0) < 0) {
            return E_OUTOFMEMORY;
        }
        filled_ = 0;
        return S_OK;
    }

    HRESULT encodeBytes(const BYTE* bytes, DWORD length, LONGLONG time, LONGLONG) override {
        if (!started_) {
            nextPts_ = av_rescale_q(time, kHundredNanoseconds, AVRational{1, static_cast<int>(sampleRate_)});
            started_ = true;
        }
        const size_t frames = length / (kBytesPerValue * channels_);
        const auto* values = reinterpret_cast<const int16_t*>(bytes);
        for (size_t f = 0; f < frames; ++f) {
            if (filled_ == 0 && av_frame_make_writable(frame_.get()) < 0) return E_OUTOFMEMORY;
            for (UINT32 c = 0; c < channels_; ++c) {
                reinterpret_cast<float*>(frame_->extended_data[c])[filled_] = values[f * channels_ + c] / 32768.0f;
            }
            if (++filled_ == frameSize_) {
                if (HRESULT hr = sendFilled(); FAILED(hr)) return hr;
            }
        }
        return S_OK;
    }

    HRESULT flushConversion() override { return filled_ > 0 ? sendFilled() : S_OK; }

    // Sends the frames filled so far (a short last frame too).
    HRESULT sendFilled() {
        frame_->nb_samples = filled_;
        frame_->pts = nextPts_;
        nextPts_ += filled_;
        filled_ = 0;
        const HRESULT hr = sendFrame(frame_.get(), 0);
        frame_->nb_samples = frameSize_;
        return hr;
    }

    UINT32 sampleRate_ = 0;
    UINT32 channels_ = 0;
    unsigned long long bitRate_ = 0;
    FramePtr frame_;
    int frameSize_ = 1024;
    int filled_ = 0;
    int64_t nextPts_ = 0;
    bool started_ = false;
};

}  // namespace

std::unique_ptr<SinkStream> makeAudioSinkStream(AVFormatContext& container, const CodecChoice& choice) {
    return std::make_unique<AudioSinkStream>(container, choice);
}

}  // namespace MorvalePlatform
