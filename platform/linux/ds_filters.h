// The filters of the Linux graph.
//
// SourceFilter: made by IGraphBuilder::AddSourceFilter for one opened file.
// An AVI file is one output pin carrying the file's bytes, to be connected
// to the AVI splitter; any other file shows one output pin per audio or
// video stream, in file order ("Stream 00", "Stream 01", ...).
//
// AviSplitter: one input pin; connected to an AVI file's pin it shows one
// output pin per audio or video stream of the file, as the Windows splitter
// does. Its stream pins offer IMediaSeeking.
//
// SampleGrabber: an input and an output pin, and ISampleGrabber. It accepts
// a video stream the platform can decode into the type set with
// SetMediaType (video, RGB24; unset fields accept anything): the graph puts
// the decoder in between. While the graph runs, the streaming thread hands
// each decoded frame to the callback set last.
//
// NullRenderer: one input pin that takes anything.
#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include "platform/linux/ds_filter.h"

namespace MorvalePlatform {

class SourceFilter final : public FilterBase {
public:
    static ComPtr<SourceFilter> create(std::shared_ptr<OpenedFile> file);

private:
    explicit SourceFilter(std::shared_ptr<OpenedFile> file);
};

class AviSplitter final : public FilterBase {
public:
    static ComPtr<AviSplitter> create();
    void inputConnected(Pin& input) override;
    void inputDisconnecting(Pin& input) override;

private:
    AviSplitter();
};

class NullRenderer final : public FilterBase {
public:
    static ComPtr<NullRenderer> create();

private:
    NullRenderer();
};

class SampleGrabber final : public FilterBase, public ISampleGrabber {
public:
    // The stream a connection brings to the grabber, decoded.
    struct Route {
        std::shared_ptr<OpenedFile> file;
        int stream = -1;
        int width = 0;
        int height = 0;
    };
    // What the streaming thread needs for one frame.
    struct Delivery {
        ComPtr<ISampleGrabberCB> callback;
        LONG method = 0;  // 0 SampleCB, 1 BufferCB
        bool oneShot = false;
    };

    static ComPtr<SampleGrabber> create();

    MORVALE_FORWARD_IUNKNOWN(FilterBase)

    HRESULT STDMETHODCALLTYPE SetOneShot(BOOL OneShot) override;
    HRESULT STDMETHODCALLTYPE SetMediaType(const AM_MEDIA_TYPE* pType) override;
    HRESULT STDMETHODCALLTYPE GetConnectedMediaType(AM_MEDIA_TYPE* pType) override;
    HRESULT STDMETHODCALLTYPE SetBufferSamples(BOOL BufferThem) override;
    HRESULT STDMETHODCALLTYPE GetCurrentBuffer(LONG* pBufferSize, LONG* pBuffer) override;
    HRESULT STDMETHODCALLTYPE GetCurrentSample(IMediaSample** ppSample) override;
    HRESULT STDMETHODCALLTYPE SetCallback(ISampleGrabberCB* pCallback, LONG WhichMethodToCallback) override;

    Pin& input() const noexcept { return *input_; }
    Pin& output() const noexcept { return *output_; }
    // Whether the grabber takes decoded frames of the stream.
    bool accepts(const OpenedFile::StreamFacts& stream) const;
    void setRoute(std::optional<Route> route) { route_ = std::move(route); }
    const std::optional<Route>& route() const noexcept { return route_; }
    void inputDisconnecting(Pin& input) override;

    // Thread-safe.
    Delivery delivery() const;

protected:
    void* interfaceFor(REFIID riid) override;

private:
    SampleGrabber();

    Pin* input_ = nullptr;
    Pin* output_ = nullptr;
    std::optional<Route> route_;
    mutable std::mutex mutex_;  // guards what follows
    MediaTypeValue wanted_;
    Delivery delivery_;
};

}  // namespace MorvalePlatform
