// SinkWriter: IMFSinkWriter over an FFmpeg muxer writing one file.
//
// Order of use, as on Windows: AddStream (output types) and
// SetInputMediaType while configuring; BeginWriting writes the container's
// header; WriteSample encodes and writes; Finalize drains the encoders,
// writes the trailer and closes the file. A call out of that order is
// MF_E_INVALIDREQUEST; an unknown stream index MF_E_INVALIDSTREAMNUMBER.
// BeginWriting needs at least one stream and an input type on each.
// Finalize with no sample written still completes the file and returns
// MF_E_SINK_NO_SAMPLES_PROCESSED.
//
// Released without Finalize (or after a failure), the writer frees its
// encoders and closes the file as it stands: the header and the packets
// written so far, no trailer, so the file is incomplete (an MP4 file then has
// no index and does not open). The file is never removed.
//
// SendStreamTick and NotifyEndOfSegment are accepted and change nothing (a
// gap shows in the next sample's time); PlaceMarker and Flush are
// E_NOTIMPL; GetServiceForStream is MF_E_UNSUPPORTED_SERVICE.
// GetStatistics counts samples received, encoded and written (packets),
// bytes written and the last times; MF_SINK_WRITER_ALL_STREAMS sums them.
//
// Calls are serialised; encoding happens on the caller's thread and on
// FFmpeg's encoder threads.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/linux/com_object.h"
#include "platform/linux/ffmpeg_handles.h"
#include "platform/linux/sink_stream.h"

namespace MorvalePlatform {

class SinkWriter final : public ComObject<IMFSinkWriter> {
public:
    // Takes a container whose file is open (pb set).
    static ComPtr<SinkWriter> create(OutputContextPtr container);

    HRESULT STDMETHODCALLTYPE AddStream(IMFMediaType* type, DWORD* index) override;
    HRESULT STDMETHODCALLTYPE SetInputMediaType(DWORD index, IMFMediaType* type, IMFAttributes* parameters) override;
    HRESULT STDMETHODCALLTYPE BeginWriting() override;
    HRESULT STDMETHODCALLTYPE WriteSample(DWORD index, IMFSample* sample) override;
    HRESULT STDMETHODCALLTYPE SendStreamTick(DWORD index, LONGLONG timestamp) override;
    HRESULT STDMETHODCALLTYPE PlaceMarker(DWORD index, void* context) override;
    HRESULT STDMETHODCALLTYPE NotifyEndOfSegment(DWORD index) override;
    HRESULT STDMETHODCALLTYPE Flush(DWORD index) override;
    HRESULT STDMETHODCALLTYPE Finalize() override;
    HRESULT STDMETHODCALLTYPE GetServiceForStream(DWORD index, REFGUID service, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE GetStatistics(DWORD index, MF_SINK_WRITER_STATISTICS* stats) override;

protected:
    void* interfaceFor(REFIID riid) override;

private:
    enum class State { Configuring, Writing, Finalized };

    explicit SinkWriter(OutputContextPtr container) noexcept;
    // Checks the state and the index of a per-stream call during writing.
    HRESULT checkWritingStream(DWORD index) const;

    std::mutex mutex_;
    // Streams refer to the container: they are declared after it, so they go
    // first.
    OutputContextPtr container_;
    std::vector<std::unique_ptr<SinkStream>> streams_;
    State state_ = State::Configuring;
};

}  // namespace MorvalePlatform
