// SourceReader; see source_reader.h.
#include "platform/linux/source_reader.h"

#include <iterator>
#include <optional>

#include "platform/linux/frame_size_limits.h"
#include "platform/linux/lazy_rgb_output.h"
#include "platform/linux/native_media_types.h"
#include "platform/linux/packet_output.h"
#include "platform/linux/pcm_output.h"
#include "platform/linux/presentation_duration.h"
#include "platform/linux/rgb_output.h"
#include "platform/linux/test_hooks.h"
#include "platform/linux/time_bases.h"

namespace MorvalePlatform {

namespace {

bool isShownStream(const AVStream& stream) {
    const AVMediaType type = stream.codecpar->codec_type;
    if (type == AVMEDIA_TYPE_AUDIO) return true;
    return type == AVMEDIA_TYPE_VIDEO && !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC);
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
        stream.output = std::make_unique<PacketOutput>();
        av->discard = stream.selected ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        streams_.push_back(std::move(stream));
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

// The packets of one stream, for its output.
class SourceReader::Feed final : public PacketFeed {
public:
    Feed(SourceReader& reader, Stream& stream) noexcept : reader_(reader), stream_(stream) {}
    PacketPtr next() override { return reader_.nextPacketFor(stream_); }
    void giveBack(std::vector<PacketPtr> packets) override {
        stream_.queue.insert(stream_.queue.begin(), std::make_move_iterator(packets.begin()),
                             std::make_move_iterator(packets.end()));
    }

private:
    SourceReader& reader_;
    Stream& stream_;
};

HRESULT SourceReader::readFromOutput(Stream& stream, DWORD& flags, ComPtr<Sample>& sample) {
    Feed feed(*this, stream);
    std::optional<SampleParts> parts;
    for (;;) {
        if (HRESULT hr = stream.output->read(stream, feed, flags, parts); FAILED(hr)) return hr;
        std::unique_ptr<StreamOutput> successor = stream.output->takeSuccessor();
        if (!successor) break;
        stream.output = std::move(successor);
    }
    if (!parts) {
        stream.ended = true;
        flags |= MF_SOURCE_READERF_ENDOFSTREAM;
        return S_OK;
    }
    sample = buildSample(std::move(*parts));
    return S_OK;
}

HRESULT SourceReader::setRgbOutput(Stream& stream, IMFMediaType& requested, const GUID& subtype) {
    // As Windows' decoders do, refuse a stream larger than they decode.
    if (!FrameSizeLimits::accepts(stream.av->codecpar->width, stream.av->codecpar->height)) {
        return MF_E_INVALIDMEDIATYPE;
    }
    auto* rgb = dynamic_cast<RgbOutput*>(stream.output.get());
    if (!rgb) {
        RgbOutputState state;
        state.quirks = options_.quirks;
        std::unique_ptr<LazyRgbOutput> lazy;
        const HRESULT opened = LazyRgbOutput::open(source_.format(), *stream.av, std::move(state), lazy);
        if (FAILED(opened)) return opened;
        rgb = lazy.get();
        stream.output = std::move(lazy);
    }
    UINT64 size = 0;
    const bool sized = SUCCEEDED(requested.GetUINT64(MF_MT_FRAME_SIZE, &size)) && HI32(size) > 0 && LO32(size) > 0;
    rgb->setRequest(stream, subtype, sized ? static_cast<int>(HI32(size)) : 0, sized ? static_cast<int>(LO32(size)) : 0);
    return S_OK;
}

HRESULT SourceReader::setPcmOutput(Stream& stream, IMFMediaType& requested, const GUID& subtype) {
    PcmFormat format;
    if (HRESULT hr = PcmOutput::formatFor(requested, *stream.native, subtype, format); FAILED(hr)) return hr;
    if (auto* pcm = dynamic_cast<PcmOutput*>(stream.output.get())) {
        pcm->setFormat(format);
    } else {
        std::unique_ptr<PcmOutput> output;
        if (HRESULT hr = PcmOutput::open(*stream.av, format, output); FAILED(hr)) return hr;
        stream.output = std::move(output);
    }
    stream.current = PcmOutput::currentType(format, subtype);
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
        return setRgbOutput(*stream, *type, subtype);
    }
    if (major == MFMediaType_Audio && (subtype == MFAudioFormat_PCM || subtype == MFAudioFormat_Float)) {
        return setPcmOutput(*stream, *type, subtype);
    }
    if (subtype == nativeSubtype) {
        // Samples already read keep what they need; what a decoding output
        // read ahead for samples not yet issued is dropped with it.
        stream->output = std::make_unique<PacketOutput>();
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
    // What can fail is done first, so a failure changes nothing.
    for (Stream& stream : streams_) {
        if (HRESULT hr = stream.output->prepareRestart(); FAILED(hr)) return hr;
    }
    // 0 is the start, whatever times the file's packets carry.
    const LONGLONG requested = position.hVal.QuadPart;
    const int64_t target = requested == 0 ? INT64_MIN : av_rescale_q(requested, kHundredNanoseconds, kAvTimeBase);
    // Whether or not it lands, the streams start afresh: what was read before
    // is no longer next.
    const HRESULT landed = source_.seek(target, seekAnchor());
    for (Stream& stream : streams_) {
        stream.queue.clear();
        stream.output->restart(source_.atStart());
        stream.ended = false;
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
        if (HRESULT hr = readFromOutput(*stream, streamFlags, result); FAILED(hr)) return hr;
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
        stream.output->flush();
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
