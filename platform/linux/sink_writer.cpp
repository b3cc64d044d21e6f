// SinkWriter; see sink_writer.h.
#include "platform/linux/sink_writer.h"

#include <algorithm>

#include "platform/linux/test_hooks.h"

namespace MorvalePlatform {

SinkWriter::SinkWriter(OutputContextPtr container) noexcept : container_(std::move(container)) {}

ComPtr<SinkWriter> SinkWriter::create(OutputContextPtr container) {
    return ComPtr<SinkWriter>::attach(new SinkWriter(std::move(container)));
}

HRESULT SinkWriter::checkWritingStream(DWORD index) const {
    if (state_ != State::Writing) return MF_E_INVALIDREQUEST;
    if (index >= streams_.size()) return MF_E_INVALIDSTREAMNUMBER;
    return S_OK;
}

HRESULT SinkWriter::AddStream(IMFMediaType* type, DWORD* index) {
    MORVALE_INSTRUMENTED_CALL("IMFSinkWriter::AddStream");
    if (!type || !index) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (state_ != State::Configuring) return MF_E_INVALIDREQUEST;
    std::unique_ptr<SinkStream> stream;
    if (HRESULT hr = SinkStream::create(*container_, type, stream); FAILED(hr)) return hr;
    streams_.push_back(std::move(stream));
    *index = static_cast<DWORD>(streams_.size() - 1);
    return S_OK;
}

HRESULT SinkWriter::SetInputMediaType(DWORD index, IMFMediaType* type, IMFAttributes*) {
    MORVALE_INSTRUMENTED_CALL("IMFSinkWriter::SetInputMediaType");
    if (!type) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (index >= streams_.size()) return MF_E_INVALIDSTREAMNUMBER;
    if (state_ != State::Configuring) return MF_E_INVALIDREQUEST;
    return streams_[index]->setInputType(type);
}

HRESULT SinkWriter::BeginWriting() {
    MORVALE_INSTRUMENTED_CALL("IMFSinkWriter::BeginWriting");
    std::lock_guard lock(mutex_);
    if (state_ != State::Configuring || streams_.empty()) return MF_E_INVALIDREQUEST;
    for (const auto& stream : streams_) {
        if (!stream->hasInputType()) return MF_E_INVALIDREQUEST;
    }
    for (const auto& stream : streams_) {
        if (HRESULT hr = stream->prepareHeader(); FAILED(hr)) return hr;
    }
    if (avformat_write_header(container_.get(), nullptr) < 0) return E_FAIL;
    state_ = State::Writing;
    return S_OK;
}

HRESULT SinkWriter::WriteSample(DWORD index, IMFSample* sample) {
    MORVALE_INSTRUMENTED_CALL("IMFSinkWriter::WriteSample");
    if (!sample) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (HRESULT hr = checkWritingStream(index); FAILED(hr)) return hr;
    return streams_[index]->writeSample(sample);
}

HRESULT SinkWriter::SendStreamTick(DWORD index, LONGLONG) {
    MORVALE_INSTRUMENTED_CALL("IMFSinkWriter::SendStreamTick");
    std::lock_guard lock(mutex_);
    return checkWritingStream(index);
}

HRESULT SinkWriter::PlaceMarker(DWORD, void*) {
    MORVALE_INSTRUMENTED_CALL("IMFSinkWriter::PlaceMarker");
    return E_NOTIMPL;
}

HRESULT SinkWriter::NotifyEndOfSegment(DWORD index) {
    MORVALE_INSTRUMENTED_CALL("IMFSinkWriter::NotifyEndOfSegment");
    std::lock_guard lock(mutex_);
    if (index == MF_SINK_WRITER_ALL_STREAMS) return state_ == State::Writing ? S_OK : MF_E_INVALIDREQUEST;
    return checkWritingStream(index);
}

HRESULT SinkWriter::Flush(DWORD) {
    MORVALE_INSTRUMENTED_CALL("IMFSinkWriter::Flush");
    return E_NOTIMPL;
}

HRESULT SinkWriter::Finalize() {
    MORVALE_INSTRUMENTED_CALL("IMFSinkWriter::Finalize");
    std::lock_guard lock(mutex_);
    if (state_ != State::Writing) return MF_E_INVALIDREQUEST;
    state_ = State::Finalized;
    bool anySample = false;
    for (const auto& stream : streams_) {
        if (HRESULT hr = stream->drain(); FAILED(hr)) return hr;
        anySample = anySample || stream->statistics().samplesReceived > 0;
    }
    if (av_write_trailer(container_.get()) < 0) return E_FAIL;
    if (avio_closep(&container_->pb) < 0) return E_FAIL;
    return anySample ? S_OK : MF_E_SINK_NO_SAMPLES_PROCESSED;
}

HRESULT SinkWriter::GetServiceForStream(DWORD, REFGUID, REFIID, void** object) {
    MORVALE_INSTRUMENTED_CALL("IMFSinkWriter::GetServiceForStream");
    if (!object) return E_POINTER;
    *object = nullptr;
    return MF_E_UNSUPPORTED_SERVICE;
}

HRESULT SinkWriter::GetStatistics(DWORD index, MF_SINK_WRITER_STATISTICS* stats) {
    MORVALE_INSTRUMENTED_CALL("IMFSinkWriter::GetStatistics");
    if (!stats) return E_POINTER;
    if (stats->cb != sizeof(MF_SINK_WRITER_STATISTICS)) return E_INVALIDARG;
    std::lock_guard lock(mutex_);
    if (index != MF_SINK_WRITER_ALL_STREAMS && index >= streams_.size()) return MF_E_INVALIDSTREAMNUMBER;
    MF_SINK_WRITER_STATISTICS result{};
    result.cb = sizeof(result);
    for (size_t i = 0; i < streams_.size(); ++i) {
        if (index != MF_SINK_WRITER_ALL_STREAMS && index != i) continue;
        const StreamStatistics& stream = streams_[i]->statistics();
        result.qwNumSamplesReceived += stream.samplesReceived;
        result.qwNumSamplesEncoded += stream.samplesEncoded;
        result.qwNumSamplesProcessed += stream.packetsWritten;
        result.qwByteCountProcessed += stream.bytesWritten;
        result.llLastTimestampReceived = std::max(result.llLastTimestampReceived, stream.lastTimeReceived);
        result.llLastTimestampEncoded = std::max(result.llLastTimestampEncoded, stream.lastTimeWritten);
        result.llLastTimestampProcessed = std::max(result.llLastTimestampProcessed, stream.lastTimeWritten);
    }
    *stats = result;
    return S_OK;
}

void* SinkWriter::interfaceFor(REFIID riid) {
    if (riid == IID_IMFSinkWriter) return static_cast<IMFSinkWriter*>(this);
    return ComObject<IMFSinkWriter>::interfaceFor(riid);
}

}  // namespace MorvalePlatform
