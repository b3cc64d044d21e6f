// SourceReader; see source_reader.h.
#include "platform/linux/source_reader.h"

#include <cstring>
#include <iterator>
#include <optional>

#include "platform/linux/frame_size_limits.h"
#include "platform/linux/memory_buffer.h"
#include "platform/linux/native_media_types.h"
#include "platform/linux/presentation_duration.h"
#include "platform/linux/sample.h"
#include "platform/linux/test_hooks.h"
#include "platform/linux/time_bases.h"

namespace MorvalePlatform {

namespace {

bool isShownStream(const AVStream& stream) {
    const AVMediaType type = stream.codecpar->codec_type;
    if (type == AVMEDIA_TYPE_AUDIO) return true;
    return type == AVMEDIA_TYPE_VIDEO && !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC);
}

// The minimum display aperture of a padded picture: offset 0,0 and the
// picture's size (an MFVideoArea: two MFOffsets, then a SIZE).
void setDisplayAperture(AttributeStore& attributes, int width, int height) {
    UINT8 area[16] = {};
    const int32_t size[2] = {width, height};
    std::memcpy(area + 8, size, sizeof(size));
    attributes.setBlob(MF_MT_MINIMUM_DISPLAY_APERTURE, area, sizeof(area));
}

}  // namespace

SourceReader::SourceReader(FormatContextPtr format, const Options& options)
    : source_(std::move(format)), options_(options) {
    bool videoSelected = false;
    bool audioSelected = false;
    const AVFormatContext& file = source_.format();
    for (unsigned i = 0; i < file.nb_streams; ++i) {
        AVStream* av = file.streams[i];
        if (!isShownStream(*av)) {
            av->discard = AVDISCARD_ALL;
            continue;
        }
        Stream stream;
        stream.av = av;
        if (av->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            stream.major = MFMediaType_Video;
            stream.native = nativeVideoType(*av);
            stream.selected = !std::exchange(videoSelected, true);
        } else {
            stream.major = MFMediaType_Audio;
            stream.native = nativeAudioType(*av);
            stream.selected = !std::exchange(audioSelected, true);
        }
        stream.current = stream.native->copy();
        av->discard = stream.selected ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        streams_.push_back(std::move(stream));
    }
}

SourceReader::~SourceReader() {
    // Samples still waiting for frames keep their decoder and its packets.
    for (auto& stream : streams_) {
        if (stream.lazy) stream.lazy->close();
    }
}

ComPtr<SourceReader> SourceReader::create(FormatContextPtr format, const Options& options) {
    Hooks::InternalCalls internal;
    return ComPtr<SourceReader>::attach(new SourceReader(std::move(format), options));
}

SourceReader::Stream* SourceReader::streamAt(DWORD index) {
    if (index == MF_SOURCE_READER_FIRST_VIDEO_STREAM || index == MF_SOURCE_READER_FIRST_AUDIO_STREAM) {
        const GUID& major = index == MF_SOURCE_READER_FIRST_VIDEO_STREAM ? MFMediaType_Video : MFMediaType_Audio;
        for (auto& stream : streams_) {
            if (stream.major == major) return &stream;
        }
        return nullptr;
    }
    return index < streams_.size() ? &streams_[index] : nullptr;
}

PacketPtr SourceReader::nextPacketFor(Stream& stream) {
    if (!stream.queue.empty()) {
        PacketPtr packet = std::move(stream.queue.front());
        stream.queue.pop_front();
        return packet;
    }
    while (PacketPtr packet = source_.read()) {
        for (auto& other : streams_) {
            if (other.av->index != packet->stream_index || !other.selected) continue;
            if (&other == &stream) return packet;
            other.queue.push_back(std::move(packet));
            break;
        }
    }
    return nullptr;
}

LONGLONG SourceReader::frameDuration(const Stream& stream) const {
    const AVRational rate = streamFrameRate(*stream.av);
    if (rate.num <= 0 || rate.den <= 0) return 0;
    return av_rescale(10000000, rate.den, rate.num);
}

RgbLayout SourceReader::layoutFor(const Stream& stream, int frameWidth, int frameHeight) const {
    RgbLayout layout;
    layout.width = stream.requestedWidth > 0 ? stream.requestedWidth : frameWidth;
    layout.height = stream.requestedHeight > 0 ? stream.requestedHeight : frameHeight;
    const TestControl::Quirks& quirks = options_.quirks;
    if (quirks.sizeChangeFrame >= 0 && stream.frameIndex >= quirks.sizeChangeFrame) {
        layout.width = static_cast<int>(quirks.sizeChangeWidth);
        layout.height = static_cast<int>(quirks.sizeChangeHeight);
    }
    layout.bufferHeight = quirks.padHeightToMacroblock ? (layout.height + 15) / 16 * 16 : layout.height;
    return layout;
}

void SourceReader::setRgbCurrentType(Stream& stream, const RgbLayout& layout) {
    ComPtr<MediaType> type = MediaType::create();
    AttributeStore& attributes = type->attributes();
    attributes.setGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    attributes.setGUID(MF_MT_SUBTYPE, stream.outputSubtype);
    attributes.setUINT64(MF_MT_FRAME_SIZE, Pack2UINT32AsUINT64(static_cast<UINT32>(layout.width),
                                                                static_cast<UINT32>(layout.bufferHeight)));
    for (const GUID* key : {&MF_MT_FRAME_RATE, &MF_MT_PIXEL_ASPECT_RATIO}) {
        UINT64 value = 0;
        if (SUCCEEDED(stream.native->attributes().getUINT64(*key, &value))) attributes.setUINT64(*key, value);
    }
    attributes.setUINT32(MF_MT_DEFAULT_STRIDE, static_cast<UINT32>(layout.width * 4));
    attributes.setUINT32(MF_MT_INTERLACE_MODE, MFVideoInterlace_Progressive);
    attributes.setUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, 1);
    attributes.setUINT32(MF_MT_FIXED_SIZE_SAMPLES, 1);
    attributes.setUINT32(MF_MT_SAMPLE_SIZE, layout.bytes());
    if (layout.bufferHeight != layout.height) setDisplayAperture(attributes, layout.width, layout.height);
    stream.current = std::move(type);
    stream.layout = layout;
}

HRESULT SourceReader::readPacketSample(Stream& stream, DWORD& flags, ComPtr<Sample>& sample) {
    PacketPtr packet = nextPacketFor(stream);
    if (!packet) {
        stream.ended = true;
        flags |= MF_SOURCE_READERF_ENDOFSTREAM;
        return S_OK;
    }
    auto buffer = MemoryBuffer::create(static_cast<DWORD>(packet->size));
    if (!buffer) return E_OUTOFMEMORY;
    std::memcpy(buffer->data(), packet->data, static_cast<size_t>(packet->size));
    buffer->SetCurrentLength(static_cast<DWORD>(packet->size));
    sample = Sample::create();
    const int64_t time = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (time != AV_NOPTS_VALUE) sample->setTime(av_rescale_q(time, stream.av->time_base, kHundredNanoseconds));
    if (packet->duration > 0) {
        sample->setDuration(av_rescale_q(packet->duration, stream.av->time_base, kHundredNanoseconds));
    }
    sample->attributes().setUINT32(MFSampleExtension_CleanPoint, (packet->flags & AV_PKT_FLAG_KEY) ? 1 : 0);
    sample->AddBuffer(buffer.get());
    return S_OK;
}

HRESULT SourceReader::decodeWhileReading(Stream& stream) {
    std::unique_ptr<StreamDecoder> decoder;
    if (HRESULT hr = StreamDecoder::open(*stream.av, decoder); FAILED(hr)) return hr;
    std::vector<PacketPtr> packets = stream.lazy->takePackets();
    stream.queue.insert(stream.queue.begin(), std::make_move_iterator(packets.begin()),
                        std::make_move_iterator(packets.end()));
    stream.lazy.reset();
    stream.decoder = std::move(decoder);
    return S_OK;
}

HRESULT SourceReader::readFrameSample(Stream& stream, DWORD& flags, ComPtr<Sample>& sample) {
    if (!stream.lazy) return readDecodedFrameSample(stream, flags, sample);
    LazyVideoDecoder& lazy = *stream.lazy;
    while (lazy.wantsPackets()) {
        PacketPtr packet = nextPacketFor(stream);
        if (!packet) {
            lazy.endInput();
            break;
        }
        lazy.addPacket(std::move(packet));
    }
    if (!stream.lazyChecked) {
        stream.lazyChecked = true;
        // Frames whose times or size only the decoder knows.
        if (!lazy.allTimed() || stream.av->codecpar->width <= 0 || stream.av->codecpar->height <= 0) {
            if (HRESULT hr = decodeWhileReading(stream); FAILED(hr)) return hr;
            return readDecodedFrameSample(stream, flags, sample);
        }
    }
    std::optional<LazyVideoDecoder::Issued> issued = lazy.issue();
    if (!issued) {
        stream.ended = true;
        flags |= MF_SOURCE_READERF_ENDOFSTREAM;
        return S_OK;
    }
    // The stream's size stands for the decoded one (they agree: FFmpeg
    // takes it from the first decoded frame when it opens the file).
    const RgbLayout layout = layoutFor(stream, stream.av->codecpar->width, stream.av->codecpar->height);
    if (!(layout == stream.layout)) {
        setRgbCurrentType(stream, layout);
        flags |= MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED;
    }
    sample = Sample::create();
    if (issued->time != LazyVideoDecoder::kUntimed && options_.quirks.untimedFrame != stream.frameIndex) {
        sample->setTime(av_rescale_q(issued->time, stream.av->time_base, kHundredNanoseconds));
    }
    const LONGLONG duration = issued->duration > 0
                                  ? av_rescale_q(issued->duration, stream.av->time_base, kHundredNanoseconds)
                                  : frameDuration(stream);
    if (duration > 0) sample->setDuration(duration);
    sample->attributes().setUINT32(MFSampleExtension_CleanPoint, issued->keyframe ? 1 : 0);
    sample->setDeferredBuffer(
        std::make_unique<DeferredRgbFrame>(stream.converter, stream.lazy, std::move(issued->slot), layout));
    ++stream.frameIndex;
    return S_OK;
}

HRESULT SourceReader::readDecodedFrameSample(Stream& stream, DWORD& flags, ComPtr<Sample>& sample) {
    FramePtr frame(av_frame_alloc());
    if (!frame) return E_OUTOFMEMORY;
    for (;;) {
        const StreamDecoder::Received received = stream.decoder->receive(*frame);
        if (received == StreamDecoder::Received::Frame) break;
        if (received == StreamDecoder::Received::Ended) {
            stream.ended = true;
            flags |= MF_SOURCE_READERF_ENDOFSTREAM;
            return S_OK;
        }
        PacketPtr packet = nextPacketFor(stream);
        stream.decoder->send(packet.get());  // none left: drain
    }
    Hooks::frameDecoded();

    const RgbLayout layout = layoutFor(stream, frame->width, frame->height);
    if (!(layout == stream.layout)) {
        setRgbCurrentType(stream, layout);
        flags |= MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED;
    }
    sample = Sample::create();
    const int64_t time = frame->best_effort_timestamp;
    if (time != AV_NOPTS_VALUE && options_.quirks.untimedFrame != stream.frameIndex) {
        sample->setTime(av_rescale_q(time, stream.av->time_base, kHundredNanoseconds));
    }
    const LONGLONG duration = frame->pkt_duration > 0
                                  ? av_rescale_q(frame->pkt_duration, stream.av->time_base, kHundredNanoseconds)
                                  : frameDuration(stream);
    if (duration > 0) sample->setDuration(duration);
    sample->attributes().setUINT32(MFSampleExtension_CleanPoint, frame->key_frame ? 1 : 0);
    sample->setDeferredBuffer(std::make_unique<DeferredRgbFrame>(stream.converter, std::move(frame), layout));
    ++stream.frameIndex;
    return S_OK;
}

HRESULT SourceReader::readAudioSample(Stream& stream, DWORD& flags, ComPtr<Sample>& sample) {
    FramePtr frame(av_frame_alloc());
    if (!frame) return E_OUTOFMEMORY;
    const PcmFormat& format = stream.pcm->format();
    for (;;) {
        ComPtr<MemoryBuffer> buffer;
        int frames = 0;
        const StreamDecoder::Received received = stream.decoder->receive(*frame);
        if (received == StreamDecoder::Received::NeedsPacket) {
            PacketPtr packet = nextPacketFor(stream);
            stream.decoder->send(packet.get());  // none left: drain
            continue;
        }
        LONGLONG time = stream.nextPcmTime;
        if (received == StreamDecoder::Received::Frame) {
            if (frame->best_effort_timestamp != AV_NOPTS_VALUE) {
                time = av_rescale_q(frame->best_effort_timestamp, stream.av->time_base, kHundredNanoseconds);
            }
            const HRESULT hr = stream.pcm->convert(frame.get(), buffer, frames);
            av_frame_unref(frame.get());
            if (FAILED(hr)) return hr;
        } else {
            // Decoder drained: what the resampler still holds, then the end.
            if (!stream.pcmFlushed) {
                stream.pcmFlushed = true;
                if (HRESULT hr = stream.pcm->convert(nullptr, buffer, frames); FAILED(hr)) return hr;
            }
            if (frames == 0) {
                stream.ended = true;
                flags |= MF_SOURCE_READERF_ENDOFSTREAM;
                return S_OK;
            }
        }
        if (frames == 0) continue;
        sample = Sample::create();
        const LONGLONG duration = av_rescale(frames, 10000000, format.sampleRate);
        sample->setTime(time);
        sample->setDuration(duration);
        sample->attributes().setUINT32(MFSampleExtension_CleanPoint, 1);
        sample->AddBuffer(buffer.get());
        stream.nextPcmTime = time + duration;
        return S_OK;
    }
}

HRESULT SourceReader::setPcmOutput(Stream& stream, IMFMediaType& requested, const GUID& subtype) {
    const AttributeStore& native = stream.native->attributes();
    PcmFormat format;
    UINT32 value = 0;
    format.floatingPoint = subtype == MFAudioFormat_Float;
    format.channels = static_cast<int>(SUCCEEDED(requested.GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &value)) ? value
                                       : SUCCEEDED(native.getUINT32(MF_MT_AUDIO_NUM_CHANNELS, &value))   ? value
                                                                                                         : 0);
    format.sampleRate =
        static_cast<int>(SUCCEEDED(requested.GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &value)) ? value
                         : SUCCEEDED(native.getUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &value))   ? value
                                                                                                 : 0);
    format.bitsPerSample = static_cast<int>(SUCCEEDED(requested.GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &value))
                                                ? value
                                                : (format.floatingPoint ? 32 : 16));
    const bool bitsValid = format.floatingPoint ? format.bitsPerSample == 32
                                                : (format.bitsPerSample == 8 || format.bitsPerSample == 16 ||
                                                   format.bitsPerSample == 24 || format.bitsPerSample == 32);
    if (!bitsValid || format.channels < 1 || format.channels > 8 || format.sampleRate < 1) {
        return MF_E_INVALIDMEDIATYPE;
    }
    if (!stream.decoder) {
        if (HRESULT hr = StreamDecoder::open(*stream.av, stream.decoder); FAILED(hr)) return hr;
    }
    stream.pcm = std::make_unique<PcmConverter>(format);
    stream.pcmFlushed = false;
    stream.decoding = true;
    ComPtr<MediaType> type = MediaType::create();
    AttributeStore& attributes = type->attributes();
    attributes.setGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    attributes.setGUID(MF_MT_SUBTYPE, subtype);
    attributes.setUINT32(MF_MT_AUDIO_NUM_CHANNELS, static_cast<UINT32>(format.channels));
    attributes.setUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, static_cast<UINT32>(format.sampleRate));
    attributes.setUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, static_cast<UINT32>(format.bitsPerSample));
    attributes.setUINT32(MF_MT_AUDIO_BLOCK_ALIGNMENT, static_cast<UINT32>(format.blockAlign()));
    attributes.setUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, static_cast<UINT32>(format.blockAlign() * format.sampleRate));
    attributes.setUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, 1);
    stream.current = std::move(type);
    return S_OK;
}

HRESULT SourceReader::GetStreamSelection(DWORD index, BOOL* selected) {
    MORVALE_INSTRUMENTED_CALL("IMFSourceReader::GetStreamSelection");
    if (!selected) return E_POINTER;
    std::lock_guard lock(mutex_);
    const Stream* stream = streamAt(index);
    if (!stream) return MF_E_INVALIDSTREAMNUMBER;
    *selected = stream->selected ? TRUE : FALSE;
    return S_OK;
}

HRESULT SourceReader::SetStreamSelection(DWORD index, BOOL selected) {
    MORVALE_INSTRUMENTED_CALL("IMFSourceReader::SetStreamSelection");
    std::lock_guard lock(mutex_);
    auto apply = [selected](Stream& stream) {
        stream.selected = selected != FALSE;
        stream.av->discard = stream.selected ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        if (!stream.selected) stream.queue.clear();
    };
    if (index == MF_SOURCE_READER_ALL_STREAMS) {
        for (auto& stream : streams_) apply(stream);
        return S_OK;
    }
    Stream* stream = streamAt(index);
    if (!stream) return MF_E_INVALIDSTREAMNUMBER;
    apply(*stream);
    return S_OK;
}

HRESULT SourceReader::GetNativeMediaType(DWORD index, DWORD typeindex, IMFMediaType** type) {
    MORVALE_INSTRUMENTED_CALL("IMFSourceReader::GetNativeMediaType");
    if (!type) return E_POINTER;
    std::lock_guard lock(mutex_);
    const Stream* stream = streamAt(index);
    if (!stream) return MF_E_INVALIDSTREAMNUMBER;
    if (typeindex != 0) return MF_E_NO_MORE_TYPES;
    *type = stream->native->copy().detach();
    return S_OK;
}

HRESULT SourceReader::GetCurrentMediaType(DWORD index, IMFMediaType** type) {
    MORVALE_INSTRUMENTED_CALL("IMFSourceReader::GetCurrentMediaType");
    if (!type) return E_POINTER;
    std::lock_guard lock(mutex_);
    const Stream* stream = streamAt(index);
    if (!stream) return MF_E_INVALIDSTREAMNUMBER;
    *type = stream->current->copy().detach();
    return S_OK;
}

HRESULT SourceReader::SetCurrentMediaType(DWORD index, DWORD*, IMFMediaType* type) {
    MORVALE_INSTRUMENTED_CALL("IMFSourceReader::SetCurrentMediaType");
    if (!type) return E_POINTER;
    std::lock_guard lock(mutex_);
    Stream* stream = streamAt(index);
    if (!stream) return MF_E_INVALIDSTREAMNUMBER;
    Hooks::InternalCalls internal;
    GUID major{};
    GUID subtype{};
    if (FAILED(type->GetGUID(MF_MT_MAJOR_TYPE, &major)) || FAILED(type->GetGUID(MF_MT_SUBTYPE, &subtype))) {
        return MF_E_INVALIDMEDIATYPE;
    }
    if (major != stream->major) return MF_E_INVALIDMEDIATYPE;
    GUID nativeSubtype{};
    stream->native->attributes().getGUID(MF_MT_SUBTYPE, &nativeSubtype);

    if (major == MFMediaType_Video && (subtype == MFVideoFormat_RGB32 || subtype == MFVideoFormat_ARGB32)) {
        if (!options_.videoProcessing && subtype != nativeSubtype) return MF_E_TOPO_CODEC_NOT_FOUND;
        // As Windows' decoders do, refuse a stream larger than they decode.
        if (!FrameSizeLimits::accepts(stream->av->codecpar->width, stream->av->codecpar->height)) {
            return MF_E_INVALIDMEDIATYPE;
        }
        if (!stream->lazy && !stream->decoder) {
            if (HRESULT hr = LazyVideoDecoder::open(*stream->av, stream->lazy); FAILED(hr)) return hr;
        }
        if (!stream->converter) stream->converter = std::make_shared<RgbConverter>();
        UINT64 size = 0;
        const bool sized = SUCCEEDED(type->GetUINT64(MF_MT_FRAME_SIZE, &size)) && HI32(size) > 0 && LO32(size) > 0;
        stream->requestedWidth = sized ? static_cast<int>(HI32(size)) : 0;
        stream->requestedHeight = sized ? static_cast<int>(LO32(size)) : 0;
        stream->outputSubtype = subtype;
        stream->decoding = true;
        setRgbCurrentType(*stream, layoutFor(*stream, stream->av->codecpar->width, stream->av->codecpar->height));
        return S_OK;
    }
    if (major == MFMediaType_Audio && (subtype == MFAudioFormat_PCM || subtype == MFAudioFormat_Float)) {
        return setPcmOutput(*stream, *type, subtype);
    }
    if (subtype == nativeSubtype) {
        if (stream->lazy) {
            // Samples already read keep what they need; packets read ahead
            // for samples not yet issued are dropped with it.
            stream->lazy->close();
            stream->lazy.reset();
            stream->lazyChecked = false;
        }
        stream->decoding = false;
        stream->current = stream->native->copy();
        return S_OK;
    }
    return MF_E_INVALIDMEDIATYPE;
}

HRESULT SourceReader::SetCurrentPosition(REFGUID format, REFPROPVARIANT position) {
    MORVALE_INSTRUMENTED_CALL("IMFSourceReader::SetCurrentPosition");
    if (format != GUID_NULL || position.vt != VT_I8) return MF_E_UNSUPPORTED_TIME_FORMAT;
    if (position.hVal.QuadPart < 0) return MF_E_INVALID_POSITION;
    std::lock_guard lock(mutex_);
    // A lazy decoder that samples still wait on stays theirs; the stream
    // starts again with a fresh one. Opened first, so a failure changes
    // nothing.
    std::vector<std::shared_ptr<LazyVideoDecoder>> fresh(streams_.size());
    for (size_t i = 0; i < streams_.size(); ++i) {
        if (!streams_[i].lazy || streams_[i].lazy.use_count() == 1) continue;
        if (HRESULT hr = LazyVideoDecoder::open(*streams_[i].av, fresh[i]); FAILED(hr)) return hr;
    }
    // 0 is the start, whatever times the file's packets carry.
    const LONGLONG requested = position.hVal.QuadPart;
    const int64_t target = requested == 0 ? INT64_MIN : av_rescale_q(requested, kHundredNanoseconds, kAvTimeBase);
    // Whether or not it lands, the streams start afresh: what was read before
    // is no longer next.
    const HRESULT landed = source_.seek(target, seekAnchor());
    for (size_t i = 0; i < streams_.size(); ++i) {
        Stream& stream = streams_[i];
        stream.queue.clear();
        if (stream.decoder) stream.decoder->flush();
        if (fresh[i]) {
            stream.lazy->close();
            stream.lazy = std::move(fresh[i]);
        } else if (stream.lazy) {
            stream.lazy->reset();
        }
        if (stream.lazy && !source_.atStart()) stream.lazy->startAtKeyFrame();
        stream.ended = false;
        stream.frameIndex = 0;
        if (stream.pcm) {
            // A new converter drops what the resampler held from before.
            stream.pcm = std::make_unique<PcmConverter>(stream.pcm->format());
            stream.pcmFlushed = false;
        }
    }
    return landed;
}

int SourceReader::seekAnchor() const {
    const Stream* anchor = nullptr;
    for (const auto& stream : streams_) {
        if (!stream.selected) continue;
        if (stream.major == MFMediaType_Video) return stream.av->index;
        if (!anchor) anchor = &stream;
    }
    return anchor ? anchor->av->index : -1;
}

HRESULT SourceReader::ReadSample(DWORD index, DWORD, DWORD* actualindex, DWORD* sampleflags, LONGLONG* timestamp,
                                 IMFSample** sample) {
    MORVALE_INSTRUMENTED_CALL("IMFSourceReader::ReadSample");
    if (!sample) return E_POINTER;
    *sample = nullptr;
    if (sampleflags) *sampleflags = 0;
    if (timestamp) *timestamp = 0;
    if (actualindex) *actualindex = index;
    std::lock_guard lock(mutex_);
    // Reading whichever stream comes next is not offered.
    if (index == MF_SOURCE_READER_ANY_STREAM) return E_NOTIMPL;
    Stream* stream = streamAt(index);
    if (!stream) return MF_E_INVALIDSTREAMNUMBER;
    if (!stream->selected) return MF_E_INVALIDREQUEST;
    if (actualindex) *actualindex = static_cast<DWORD>(stream - streams_.data());

    Hooks::InternalCalls internal;
    DWORD streamFlags = 0;
    ComPtr<Sample> result;
    if (stream->ended) {
        streamFlags |= MF_SOURCE_READERF_ENDOFSTREAM;
    } else {
        const HRESULT hr = !stream->decoding                  ? readPacketSample(*stream, streamFlags, result)
                           : stream->major == MFMediaType_Video ? readFrameSample(*stream, streamFlags, result)
                                                                : readAudioSample(*stream, streamFlags, result);
        if (FAILED(hr)) return hr;
    }
    if (sampleflags) *sampleflags = streamFlags;
    if (result) {
        LONGLONG time = 0;
        if (timestamp && SUCCEEDED(result->GetSampleTime(&time))) *timestamp = time;
        *sample = result.detach();
    }
    return S_OK;
}

HRESULT SourceReader::Flush(DWORD index) {
    MORVALE_INSTRUMENTED_CALL("IMFSourceReader::Flush");
    std::lock_guard lock(mutex_);
    auto flush = [](Stream& stream) {
        stream.queue.clear();
        if (stream.decoder) stream.decoder->flush();
        if (stream.lazy) stream.lazy->skipUnissued();
    };
    if (index == MF_SOURCE_READER_ALL_STREAMS) {
        for (auto& stream : streams_) flush(stream);
        return S_OK;
    }
    Stream* stream = streamAt(index);
    if (!stream) return MF_E_INVALIDSTREAMNUMBER;
    flush(*stream);
    return S_OK;
}

HRESULT SourceReader::GetServiceForStream(DWORD, REFGUID, REFIID, void** object) {
    MORVALE_INSTRUMENTED_CALL("IMFSourceReader::GetServiceForStream");
    if (!object) return E_POINTER;
    *object = nullptr;
    return MF_E_UNSUPPORTED_SERVICE;
}

HRESULT SourceReader::GetPresentationAttribute(DWORD index, REFGUID guid, PROPVARIANT* attr) {
    MORVALE_INSTRUMENTED_CALL("IMFSourceReader::GetPresentationAttribute");
    if (!attr) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (index != MF_SOURCE_READER_MEDIASOURCE) {
        return streamAt(index) ? MF_E_ATTRIBUTENOTFOUND : MF_E_INVALIDSTREAMNUMBER;
    }
    if (guid != MF_PD_DURATION) return MF_E_ATTRIBUTENOTFOUND;
    if (options_.quirks.reportedDuration >= 0) {
        attr->vt = VT_UI8;
        attr->uhVal.QuadPart = static_cast<ULONGLONG>(options_.quirks.reportedDuration);
        return S_OK;
    }
    if (!durationKnown_) {
        duration_ = presentationDuration(source_.format());
        durationKnown_ = true;
    }
    if (!duration_) return MF_E_ATTRIBUTENOTFOUND;
    attr->vt = VT_UI8;
    attr->uhVal.QuadPart = static_cast<ULONGLONG>(av_rescale_q(*duration_, kAvTimeBase, kHundredNanoseconds));
    return S_OK;
}

void* SourceReader::interfaceFor(REFIID riid) {
    if (riid == IID_IMFSourceReader) return static_cast<IMFSourceReader*>(this);
    return ComObject<IMFSourceReader>::interfaceFor(riid);
}

}  // namespace MorvalePlatform
