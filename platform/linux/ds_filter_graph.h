// FilterGraph: the filter graph (CLSID_FilterGraph) with IGraphBuilder,
// IMediaControl, IMediaEvent, IMediaSeeking, IMediaFilter and
// IMediaEventSink.
//
// Building. AddSourceFilter opens the file (see OpenedFile) and adds its
// source filter. Connect joins an output pin to an input pin of filters in
// the graph: an AVI file's pin to the AVI splitter; a video stream pin (or
// an AVI file's pin, through a splitter the graph keeps to itself) to a
// sample grabber that accepts its decoded frames, with the decoder
// represented by the graph rather than by filters of its own, so the stream
// pin's peer is the grabber's input; the grabber's output (once its input is
// connected) or any stream to the null renderer. Anything else is
// VFW_E_CANNOT_CONNECT (an audio stream to the grabber, say).
//
// Running. Run starts one streaming thread per file feeding grabbers (see
// StreamingRun); the graph has no clock and runs as fast as it decodes,
// whatever SetSyncSource was given. WaitForCompletion returns EC_COMPLETE
// when every run has reached its end (EC_ERRORABORT when a stream could not
// be decoded), VFW_E_WRONG_STATE when the graph is not running or is
// stopped while waiting, E_ABORT when the time is up. Stop ends the runs and
// joins their threads; the next Run goes on from where they stopped unless
// SetPositions(0) asked for the start. Releasing the graph stops it, then
// disconnects and releases its filters. Pause is not offered (E_NOTIMPL).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/linux/ds_filter.h"
#include "platform/linux/ds_streaming_run.h"

namespace MorvalePlatform {

class FilterGraph final : public ComObject<IGraphBuilder>,
                          public IMediaControl,
                          public IMediaEvent,
                          public StartSeeking,
                          public IMediaFilter,
                          public IMediaEventSink {
public:
    static ComPtr<FilterGraph> create();

    MORVALE_FORWARD_IUNKNOWN(ComObject<IGraphBuilder>)

    // IFilterGraph.
    HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter* pFilter, LPCWSTR pName) override;
    HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter* pFilter) override;
    HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters** ppEnum) override;
    HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR pName, IBaseFilter** ppFilter) override;
    HRESULT STDMETHODCALLTYPE ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) override;
    HRESULT STDMETHODCALLTYPE Reconnect(IPin* ppin) override;
    HRESULT STDMETHODCALLTYPE Disconnect(IPin* ppin) override;
    HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override;
    // IGraphBuilder.
    HRESULT STDMETHODCALLTYPE Connect(IPin* ppinOut, IPin* ppinIn) override;
    HRESULT STDMETHODCALLTYPE Render(IPin* ppinOut) override;
    HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR lpcwstrFile, LPCWSTR lpcwstrPlayList) override;
    HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR lpcwstrFileName, LPCWSTR lpcwstrFilterName,
                                              IBaseFilter** ppFilter) override;
    HRESULT STDMETHODCALLTYPE SetLogFile(DWORD_PTR hFile) override;
    HRESULT STDMETHODCALLTYPE Abort() override;
    HRESULT STDMETHODCALLTYPE ShouldOperationContinue() override;
    // IDispatch (IMediaControl and IMediaEvent): not offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                     UINT* puArgErr) override;
    // IMediaControl.
    HRESULT STDMETHODCALLTYPE Run() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE GetState(LONG msTimeout, OAFilterState* pfs) override;
    HRESULT STDMETHODCALLTYPE RenderFile(BSTR strFilename) override;
    HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR strFilename, IDispatch** ppUnk) override;
    HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch** ppUnk) override;
    HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch** ppUnk) override;
    HRESULT STDMETHODCALLTYPE StopWhenReady() override;
    // IMediaEvent.
    HRESULT STDMETHODCALLTYPE GetEventHandle(OAEVENT* hEvent) override;
    HRESULT STDMETHODCALLTYPE GetEvent(LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2,
                                       LONG msTimeout) override;
    HRESULT STDMETHODCALLTYPE WaitForCompletion(LONG msTimeout, LONG* pEvCode) override;
    HRESULT STDMETHODCALLTYPE CancelDefaultHandling(LONG lEvCode) override;
    HRESULT STDMETHODCALLTYPE RestoreDefaultHandling(LONG lEvCode) override;
    HRESULT STDMETHODCALLTYPE FreeEventParams(LONG lEvCode, LONG_PTR lParam1, LONG_PTR lParam2) override;
    // IMediaFilter (the graph as a whole).
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME tStart) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* State) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* pClock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** pClock) override;
    // IMediaEventSink.
    HRESULT STDMETHODCALLTYPE Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) override;

protected:
    void* interfaceFor(REFIID riid) override;
    LONGLONG seekingDuration() override;
    void seekToStart() override;

private:
    struct Member {
        ComPtr<IBaseFilter> filter;
        FilterBase* base = nullptr;
        std::wstring name;
    };

    FilterGraph();
    ~FilterGraph() override;

    bool contains(const FilterBase& filter) const;
    HRESULT connectToGrabber(Pin& out, SampleGrabber& grabber);
    // Ends the runs (joining their threads) and marks the graph stopped.
    void stopRuns();

    std::vector<Member> filters_;
    std::vector<std::shared_ptr<OpenedFile>> files_;
    ComPtr<IReferenceClock> clock_;
    TestControl::Quirks quirks_;
    std::shared_ptr<RunSignal> signal_;
    // Guarded by signal_->mutex.
    bool running_ = false;
    std::vector<std::unique_ptr<StreamingRun>> runs_;
};

}  // namespace MorvalePlatform
