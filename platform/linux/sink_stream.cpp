// SinkStream: the part every stream shares; see sink_stream.h.
#include "platform/linux/sink_stream.h"

#include "platform/buffer_lock.h"
#include "platform/com_ptr.h"
#include "platform/linux/audio_sink_stream.h"
#include "platform/linux/codec_availability.h"
#include "platform/linux/output_container.h"
#include "platform/linux/test_hooks.h"
#include "platform/linux/time_bases.h"
#include "platform/linux/video_sink_stream.h"

namespace MorvalePlatform {

SinkStream::SinkStream(AVFormatContext& container, const CodecChoice& choice)
    : container_(container), choice_(choice), packet_(av_packet_alloc()) {}

HRESULT SinkStream::create(AVFormatContext& container, IMFMediaType* outputType, std::unique_ptr<SinkStream>& stream) {
    if (!outputType) return E_POINTER;
    Hooks::InternalCalls internal;
    GUID major{};
    GUID subtype{};
    if (FAILED(outputType->GetGUID(MF_MT_MAJOR_TYPE, &major)) || FAILED(outputType->GetGUID(MF_MT_SUBTYPE, &subtype))) {
        return MF_E_INVALIDMEDIATYPE;
    }
    const CodecChoice* choice = codecChoiceFor(subtype);
    if (!choice || !containerCarries(*container.oformat, choice->codec)) {
        return MF_E_INVALIDMEDIATYPE;
    }
    std::unique_ptr<SinkStream> candidate;
    if (major == MFMediaType_Video && choice->kind == AVMEDIA_TYPE_VIDEO) {
        candidate = makeVideoSinkStream(container, *choice);
    } else if (major == MFMediaType_Audio && choice->kind == AVMEDIA_TYPE_AUDIO) {
        candidate = makeAudioSinkStream(container, *choice);
    } else {
        return MF_E_INVALIDMEDIATYPE;
    }
    if (!candidate->packet_) return E_OUTOFMEMORY;
    if (HRESULT hr = candidate->readOutputType(outputType); FAILED(hr)) return hr;
    // Added only now: a container stream cannot be taken back.
    candidate->stream_ = avformat_new_stream(&container, nullptr);
    if (!candidate->stream_) return E_OUTOFMEMORY;
    candidate->stream_->codecpar->codec_type = choice->kind;
    candidate->stream_->codecpar->codec_id = choice->codec;
    stream = std::move(candidate);
    return S_OK;
}

HRESULT SinkStream::setInputType(IMFMediaType* inputType) {
    if (!inputType) return E_POINTER;
    Hooks::InternalCalls internal;
    if (HRESULT hr = readInputType(inputType); FAILED(hr)) return hr;
    encoder_.reset();
    const AVCodec* codec = usableEncoder(choice_.encoder);
    if (!codec) return MF_E_TOPO_CODEC_NOT_FOUND;
    CodecContextPtr encoder(avcodec_alloc_context3(codec));
    if (!encoder) return E_OUTOFMEMORY;
    configureEncoder(*encoder, *codec);
    if (container_.oformat->flags & AVFMT_GLOBALHEADER) encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    for (const EncoderOption& option : choice_.options) av_dict_set(&options, option.key, option.value, 0);
    const int opened = avcodec_open2(encoder.get(), codec, &options);
    av_dict_free(&options);
    if (opened < 0) return MF_E_TOPO_CODEC_NOT_FOUND;
    if (HRESULT hr = prepareConversion(*encoder); FAILED(hr)) return hr;
    encoder_ = std::move(encoder);
    return S_OK;
}

HRESULT SinkStream::prepareHeader() {
    if (avcodec_parameters_from_context(stream_->codecpar, encoder_.get()) < 0) return E_OUTOFMEMORY;
    stream_->time_base = packetTimeBase();
    if (encoder_->codec_type == AVMEDIA_TYPE_VIDEO) stream_->avg_frame_rate = encoder_->framerate;
    return S_OK;
}

HRESULT SinkStream::writeSample(IMFSample* sample) {
    if (!sample) return E_POINTER;
    Hooks::InternalCalls internal;
    LONGLONG time = 0;
    if (HRESULT hr = sample->GetSampleTime(&time); FAILED(hr)) return hr;
    LONGLONG duration = 0;
    if (FAILED(sample->GetSampleDuration(&duration))) duration = 0;
    ComPtr<IMFMediaBuffer> buffer;
    if (HRESULT hr = sample->ConvertToContiguousBuffer(&buffer); FAILED(hr)) return hr;
    BufferLock lock(buffer.get());
    DWORD length = 0;
    if (HRESULT hr = lock.lock(nullptr, &length); FAILED(hr)) return hr;
    if (HRESULT hr = encodeBytes(lock.data(), length, time, duration); FAILED(hr)) return hr;
    ++statistics_.samplesReceived;
    statistics_.lastTimeReceived = time;
    return S_OK;
}

HRESULT SinkStream::drain() {
    if (HRESULT hr = flushConversion(); FAILED(hr)) return hr;
    return sendFrame(nullptr, 0);
}

AVRational SinkStream::packetTimeBase() const {
    return packetTimeBase_.num > 0 ? packetTimeBase_ : encoder_->time_base;
}

HRESULT SinkStream::sendFrame(AVFrame* frame, int64_t duration, std::optional<int64_t> time) {
    if (frame && (duration > 0 || time)) times_[frame->pts] = PacketTimes{duration, time};
    int sent = avcodec_send_frame(encoder_.get(), frame);
    while (sent == AVERROR(EAGAIN)) {
        if (HRESULT hr = receivePackets(); FAILED(hr)) return hr;
        sent = avcodec_send_frame(encoder_.get(), frame);
    }
    if (sent < 0 && sent != AVERROR_EOF) return E_FAIL;
    if (frame) ++statistics_.samplesEncoded;
    return receivePackets();
}

HRESULT SinkStream::receivePackets() {
    for (;;) {
        const int received = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return S_OK;
        if (received < 0) return E_FAIL;
        if (const auto known = times_.find(packet_->pts); known != times_.end()) {
            if (known->second.duration > 0) packet_->duration = known->second.duration;
            if (known->second.time) packet_->pts = packet_->dts = *known->second.time;
            times_.erase(known);
        }
        const AVRational timeBase = packetTimeBase();
        statistics_.lastTimeWritten = av_rescale_q(packet_->pts, timeBase, kHundredNanoseconds);
        ++statistics_.packetsWritten;
        statistics_.bytesWritten += static_cast<QWORD>(packet_->size);
        packet_->stream_index = stream_->index;
        av_packet_rescale_ts(packet_.get(), timeBase, stream_->time_base);
        // Takes the packet's data; the packet is left empty.
        if (av_interleaved_write_frame(&container_, packet_.get()) < 0) return E_FAIL;
    }
}

}  // namespace MorvalePlatform
