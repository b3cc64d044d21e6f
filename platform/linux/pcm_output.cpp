// PcmOutput; see pcm_output.h.
#include "platform/linux/pcm_output.h"

#include "platform/linux/time_bases.h"

namespace MorvalePlatform {

namespace {

// The depth a decoder picks when the caller leaves it open, as Windows'
// decoders do: integer PCM keeps its own (8-bit stays unsigned 8-bit, 24
// stays 24), everything else decodes to 16 bits (float to 32).
int defaultBitsPerSample(const MediaType& native, bool floatingPoint) {
    if (floatingPoint) return 32;
    const AttributeStore& attributes = native.attributes();
    GUID subtype{};
    UINT32 bits = 0;
    if (SUCCEEDED(attributes.getGUID(MF_MT_SUBTYPE, &subtype)) && subtype == MFAudioFormat_PCM &&
        SUCCEEDED(attributes.getUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits)) && bits != 0) {
        return static_cast<int>(bits);
    }
    return 16;
}

}  // namespace

HRESULT PcmOutput::formatFor(IMFMediaType& requested, const MediaType& native, const GUID& subtype,
                             PcmFormat& format) {
    const AttributeStore& nativeAttributes = native.attributes();
    UINT32 value = 0;
    const auto requestedOrNative = [&](const GUID& key) {
        return static_cast<int>(SUCCEEDED(requested.GetUINT32(key, &value))          ? value
                                : SUCCEEDED(nativeAttributes.getUINT32(key, &value)) ? value
                                                                                     : 0);
    };
    format.floatingPoint = subtype == MFAudioFormat_Float;
    format.channels = requestedOrNative(MF_MT_AUDIO_NUM_CHANNELS);
    format.sampleRate = requestedOrNative(MF_MT_AUDIO_SAMPLES_PER_SECOND);
    format.bitsPerSample = static_cast<int>(SUCCEEDED(requested.GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &value))
                                                ? value
                                                : defaultBitsPerSample(native, format.floatingPoint));
    const bool bitsValid = format.floatingPoint ? format.bitsPerSample == 32
                                                : (format.bitsPerSample == 8 || format.bitsPerSample == 16 ||
                                                   format.bitsPerSample == 24 || format.bitsPerSample == 32);
    if (!bitsValid || format.channels < 1 || format.channels > 8 || format.sampleRate < 1) {
        return MF_E_INVALIDMEDIATYPE;
    }
    // The type states its bytes per second in 32 bits; a rate too high for
    // that (a corrupt header's) cannot be described.
    if (int64_t{format.blockAlign()} * format.sampleRate > int64_t{UINT32_MAX}) return MF_E_INVALIDMEDIATYPE;
    return S_OK;
}

ComPtr<MediaType> PcmOutput::currentType(const PcmFormat& format, const GUID& subtype) {
    ComPtr<MediaType> type = MediaType::create();
    AttributeStore& attributes = type->attributes();
    attributes.setGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    attributes.setGUID(MF_MT_SUBTYPE, subtype);
    attributes.setUINT32(MF_MT_AUDIO_NUM_CHANNELS, static_cast<UINT32>(format.channels));
    attributes.setUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, static_cast<UINT32>(format.sampleRate));
    attributes.setUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, static_cast<UINT32>(format.bitsPerSample));
    attributes.setUINT32(MF_MT_AUDIO_BLOCK_ALIGNMENT, static_cast<UINT32>(format.blockAlign()));
    attributes.setUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, static_cast<UINT32>(int64_t{format.blockAlign()} * format.sampleRate));
    attributes.setUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, 1);
    return type;
}

HRESULT PcmOutput::open(const AVStream& stream, const PcmFormat& format, std::unique_ptr<PcmOutput>& output) {
    std::unique_ptr<StreamDecoder> decoder;
    if (HRESULT hr = StreamDecoder::open(stream, decoder); FAILED(hr)) return hr;
    output.reset(new PcmOutput(std::move(decoder), format));
    return S_OK;
}

void PcmOutput::setFormat(const PcmFormat& format) {
    converter_ = std::make_unique<PcmConverter>(format);
    flushed_ = false;
}

HRESULT PcmOutput::read(StreamTypes& stream, PacketFeed& packets, DWORD&, std::optional<SampleParts>& parts) {
    FramePtr frame(av_frame_alloc());
    if (!frame) return E_OUTOFMEMORY;
    for (;;) {
        ComPtr<MemoryBuffer> buffer;
        int frames = 0;
        const StreamDecoder::Received received = decoder_->receive(*frame);
        if (received == StreamDecoder::Received::NeedsPacket) {
            PacketPtr packet = packets.next();
            decoder_->send(packet.get());  // none left: drain
            continue;
        }
        LONGLONG time = nextTime_;
        if (received == StreamDecoder::Received::Frame) {
            if (frame->best_effort_timestamp != AV_NOPTS_VALUE) {
                time = av_rescale_q(frame->best_effort_timestamp, stream.av->time_base, kHundredNanoseconds);
            }
            const HRESULT hr = converter_->convert(frame.get(), buffer, frames);
            av_frame_unref(frame.get());
            if (FAILED(hr)) return hr;
        } else {
            // Decoder drained: what the resampler still holds, then the end.
            if (!flushed_) {
                flushed_ = true;
                if (HRESULT hr = converter_->convert(nullptr, buffer, frames); FAILED(hr)) return hr;
            }
            if (frames == 0) return S_OK;
        }
        if (frames == 0) continue;
        const LONGLONG duration = av_rescale(frames, 10000000, converter_->format().sampleRate);
        parts.emplace();
        parts->time = time;
        parts->duration = duration;
        parts->cleanPoint = true;
        parts->buffer = ComPtr<IMFMediaBuffer>::attach(buffer.detach());
        nextTime_ = time + duration;
        return S_OK;
    }
}

void PcmOutput::restart(bool) {
    // A new converter drops what the resampler held from before.
    decoder_->flush();
    converter_ = std::make_unique<PcmConverter>(converter_->format());
    flushed_ = false;
}

}  // namespace MorvalePlatform
