// FilterBase and Pin: what every filter of the Linux graph shares.
//
// A pin is part of its filter: its references are the filter's, and it
// lives as long as the filter (pins a filter drops stay until the filter
// goes, so a pointer someone still holds never dangles). A connected pin
// holds a reference to its peer, so connected filters keep each other alive
// until the graph disconnects them, which it does when it is released.
//
// Filters and pins are driven from one thread at a time (the application's);
// only the sample grabber shares state with the streaming thread, under its
// own lock. Connections are made by the graph (IGraphBuilder::Connect);
// IPin::Connect and ReceiveConnection are not offered.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/linux/com_object.h"
#include "platform/linux/ds_opened_file.h"
#include "platform/linux/ds_start_seeking.h"

namespace MorvalePlatform {

class FilterBase;

class Pin final : public IPin, public StartSeeking {
public:
    enum class Kind {
        FileBytes,      // a whole AVI file, for the AVI splitter
        Stream,         // one audio or video stream of a file
        SplitterInput,
        GrabberInput,
        GrabberOutput,
        RendererInput,
    };

    Pin(FilterBase& owner, Kind kind, std::wstring name, std::shared_ptr<OpenedFile> file = nullptr,
        int stream = -1);
    Pin(const Pin&) = delete;
    Pin& operator=(const Pin&) = delete;
    ~Pin() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pPin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* pInfo) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* pPinDir) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* Id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** apPin, ULONG* nPin) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

    // The implementation's side.
    Kind kind() const noexcept { return kind_; }
    PIN_DIRECTION direction() const noexcept;
    FilterBase& owner() const noexcept { return owner_; }
    const std::shared_ptr<OpenedFile>& file() const noexcept { return file_; }
    int stream() const noexcept { return stream_; }
    Pin* peer() const noexcept { return peerPin_; }
    const MediaTypeValue& connectionType() const noexcept { return connectionType_; }
    // One side of a connection; the graph sets both.
    void attach(Pin& peer, MediaTypeValue type);
    void detach();

protected:
    LONGLONG seekingDuration() override;
    void seekToStart() override;

private:
    FilterBase& owner_;
    const Kind kind_;
    const std::wstring name_;
    const std::shared_ptr<OpenedFile> file_;  // FileBytes and Stream pins
    const int stream_;                        // Stream pins: FFmpeg's index
    ComPtr<IPin> peer_;
    Pin* peerPin_ = nullptr;
    MediaTypeValue connectionType_;
};

class FilterBase : public ComObject<IBaseFilter> {
public:
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME tStart) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* State) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* pClock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** pClock) override;
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** ppEnum) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR Id, IPin** ppPin) override;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* pInfo) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* pVendorInfo) override;

    // The graph the filter is in (not a counted reference), or null.
    IFilterGraph* graph() const noexcept { return graph_; }
    // Breaks the connections of the filter's pins from the first-th on, both
    // sides. The caller holds a reference to the filter.
    void disconnectPins(std::size_t first = 0);
    // After the graph connected one of the filter's input pins / before it
    // disconnects it.
    virtual void inputConnected(Pin&) {}
    virtual void inputDisconnecting(Pin&) {}

protected:
    explicit FilterBase(const CLSID& clsid) noexcept : clsid_(clsid) {}
    ~FilterBase() override;

    void* interfaceFor(REFIID riid) override;
    Pin& addPin(Pin::Kind kind, std::wstring name, std::shared_ptr<OpenedFile> file = nullptr, int stream = -1);
    // Pins shown from now on: those added after the first `keep`.
    void retirePinsAfter(std::size_t keep);

private:
    const CLSID clsid_;
    std::vector<std::unique_ptr<Pin>> pins_;
    std::vector<std::unique_ptr<Pin>> retired_;
    IFilterGraph* graph_ = nullptr;
    std::wstring name_;
    FILTER_STATE state_ = State_Stopped;
    ComPtr<IReferenceClock> clock_;
};

// Our filter or pin behind an interface pointer, or null for another
// implementation's.
FilterBase* asFilter(IBaseFilter* filter) noexcept;
Pin* asPin(IPin* pin) noexcept;

// Breaks the pin's connection, both sides, telling the input's filter first.
// The caller holds references to both filters.
void breakConnection(Pin& pin);

// A wide string in task memory, as QueryId and QueryVendorInfo return them.
HRESULT taskMemoryString(const std::wstring& text, LPWSTR* result);

}  // namespace MorvalePlatform
