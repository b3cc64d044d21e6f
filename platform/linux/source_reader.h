// SourceReader: IMFSourceReader over one opened media file. Streams are the
// file's audio and video streams in file order (other streams are not
// shown); the first video and the first audio stream start selected.
//
// Before SetCurrentMediaType a stream's current type is its native type and
// ReadSample delivers its compressed packets. Setting RGB32 (or ARGB32) on a
// video stream makes the reader decode and convert: the current type then
// reports RGB32, the output frame size and a stride of width x 4. Decoding
// is lazy: ReadSample takes a sample's time, duration and place in
// presentation order from the demuxed packets, and the frame is decoded and
// converted only when a caller asks for the sample's buffer (see
// LazyVideoDecoder). A stream whose packets lack presentation times (AVI
// with B-frames, say) is decoded as it is read instead, since its frames'
// times are only known once decoded. Setting
// an uncompressed type needs MF_SOURCE_READER_ENABLE_VIDEO_PROCESSING (or the
// advanced variant) unless the stream already is of that type; without it
// the result is MF_E_TOPO_CODEC_NOT_FOUND, as on Windows.
//
// Setting PCM (or float) on an audio stream decodes it to interleaved samples
// of the requested channel count and rate (the native ones when not given)
// and bits per sample (16 when not given, 32 for float).
//
// Sample times are the stream's presentation times in 100 ns; durations come
// from the container, or from the frame rate when it has none. Seeks land as
// PacketSource describes: a rewind brings back the file's first packets, a
// later time the key frame at or before it. Every
// method is serialised by one lock; samples may be used on any thread.
//
// The reader demuxes and keeps each stream's selection and end; what a
// stream delivers is its StreamOutput, one per output mode (packets, lazy
// RGB, RGB decoded as read, PCM), and every sample is built from the parts
// an output gives (buildSample).
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/linux/com_object.h"
#include "platform/linux/ffmpeg_handles.h"
#include "platform/linux/media_type.h"
#include "platform/linux/packet_source.h"
#include "platform/linux/stream_output.h"
#include "platform/linux/test_control.h"

namespace MorvalePlatform {

class SourceReader final : public ComObject<IMFSourceReader> {
public:
    struct Options {
        bool videoProcessing = false;
        TestControl::Quirks quirks;
    };

    static ComPtr<SourceReader> create(FormatContextPtr format, const Options& options);

    HRESULT STDMETHODCALLTYPE GetStreamSelection(DWORD index, BOOL* selected) override;
    HRESULT STDMETHODCALLTYPE SetStreamSelection(DWORD index, BOOL selected) override;
    HRESULT STDMETHODCALLTYPE GetNativeMediaType(DWORD index, DWORD typeindex, IMFMediaType** type) override;
    HRESULT STDMETHODCALLTYPE GetCurrentMediaType(DWORD index, IMFMediaType** type) override;
    HRESULT STDMETHODCALLTYPE SetCurrentMediaType(DWORD index, DWORD* reserved, IMFMediaType* type) override;
    HRESULT STDMETHODCALLTYPE SetCurrentPosition(REFGUID format, REFPROPVARIANT position) override;
    HRESULT STDMETHODCALLTYPE ReadSample(DWORD index, DWORD flags, DWORD* actualindex, DWORD* sampleflags,
                                         LONGLONG* timestamp, IMFSample** sample) override;
    HRESULT STDMETHODCALLTYPE Flush(DWORD index) override;
    HRESULT STDMETHODCALLTYPE GetServiceForStream(DWORD index, REFGUID service, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE GetPresentationAttribute(DWORD index, REFGUID guid, PROPVARIANT* attr) override;

protected:
    void* interfaceFor(REFIID riid) override;

private:
    // One shown stream: its types, whether it is selected and has ended,
    // the packets demuxed for it while another stream was read, and the
    // output that turns its packets into samples (compressed packets until
    // SetCurrentMediaType asks for decoding).
    struct Stream : StreamTypes {
        bool selected = false;
        bool ended = false;
        std::deque<PacketPtr> queue;
        std::unique_ptr<StreamOutput> output;
    };
    class Feed;

    SourceReader(FormatContextPtr format, const Options& options);
    ~SourceReader() override = default;

    Stream* streamAt(DWORD index);
    // The next demuxed packet of the stream; packets of other selected
    // streams are queued on the way, those of unselected ones dropped.
    PacketPtr nextPacketFor(Stream& stream);
    // The stream output's next sample, following a hand-over to another
    // output; none at the end of the stream.
    HRESULT readFromOutput(Stream& stream, DWORD& flags, ComPtr<Sample>& sample);
    HRESULT setRgbOutput(Stream& stream, IMFMediaType& requested, const GUID& subtype);
    HRESULT setPcmOutput(Stream& stream, IMFMediaType& requested, const GUID& subtype);

    // The stream a seek lands by: the first selected video stream, else the
    // first selected one; -1 when none is selected.
    int seekAnchor() const;

    std::mutex mutex_;
    PacketSource source_;
    Options options_;
    std::vector<Stream> streams_;
    bool durationKnown_ = false;  // duration_ has been worked out
    std::optional<int64_t> duration_;  // AV_TIME_BASE
};

}  // namespace MorvalePlatform
