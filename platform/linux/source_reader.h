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
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/linux/com_object.h"
#include "platform/linux/ffmpeg_handles.h"
#include "platform/linux/lazy_video_decoder.h"
#include "platform/linux/media_type.h"
#include "platform/linux/packet_source.h"
#include "platform/linux/pcm_converter.h"
#include "platform/linux/rgb_converter.h"
#include "platform/linux/stream_decoder.h"
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
    struct Stream {
        AVStream* av = nullptr;
        GUID major{};
        ComPtr<MediaType> native;
        ComPtr<MediaType> current;
        bool selected = false;
        bool ended = false;
        std::deque<PacketPtr> queue;  // demuxed packets waiting to be read
        // Decoding to RGB (set by SetCurrentMediaType).
        bool decoding = false;
        GUID outputSubtype{};
        int requestedWidth = 0;  // 0: the decoded size
        int requestedHeight = 0;
        RgbLayout layout;  // the layout the current type reports
        // Video: frames decoded on demand, shared with the samples waiting
        // for them; null when the stream is decoded as it is read (decoder).
        std::shared_ptr<LazyVideoDecoder> lazy;
        bool lazyChecked = false;  // the first packets showed whether lazy decoding can work
        // Audio, and video decoded as it is read.
        std::unique_ptr<StreamDecoder> decoder;
        std::shared_ptr<RgbConverter> converter;
        int64_t frameIndex = 0;  // frames delivered since the start or the last seek
        // Decoding to PCM.
        std::unique_ptr<PcmConverter> pcm;
        bool pcmFlushed = false;  // the resampler's tail has been delivered
        LONGLONG nextPcmTime = 0;
    };

    SourceReader(FormatContextPtr format, const Options& options);
    ~SourceReader() override;

    Stream* streamAt(DWORD index);
    // The next demuxed packet of the stream; packets of other selected
    // streams are queued on the way, those of unselected ones dropped.
    PacketPtr nextPacketFor(Stream& stream);
    HRESULT readPacketSample(Stream& stream, DWORD& flags, ComPtr<Sample>& sample);
    HRESULT readFrameSample(Stream& stream, DWORD& flags, ComPtr<Sample>& sample);
    HRESULT readDecodedFrameSample(Stream& stream, DWORD& flags, ComPtr<Sample>& sample);
    // Hands the lazy decoder's packets back to the stream's queue and decodes
    // the stream as it is read from then on.
    HRESULT decodeWhileReading(Stream& stream);
    HRESULT readAudioSample(Stream& stream, DWORD& flags, ComPtr<Sample>& sample);
    HRESULT setPcmOutput(Stream& stream, IMFMediaType& requested, const GUID& subtype);
    RgbLayout layoutFor(const Stream& stream, int frameWidth, int frameHeight) const;
    void setRgbCurrentType(Stream& stream, const RgbLayout& layout);
    LONGLONG frameDuration(const Stream& stream) const;

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
