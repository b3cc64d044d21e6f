// FilterGraph; see ds_filter_graph.h.
#include "platform/linux/ds_filter_graph.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "platform/linux/ds_filters.h"
#include "platform/linux/test_hooks.h"

namespace MorvalePlatform {

ComPtr<FilterGraph> FilterGraph::create() { return ComPtr<FilterGraph>::attach(new (std::nothrow) FilterGraph()); }

FilterGraph::FilterGraph() : quirks_(Hooks::currentQuirks()), signal_(std::make_shared<RunSignal>()) {}

FilterGraph::~FilterGraph() {
    stopRuns();
    for (Member& member : filters_) member.base->disconnectPins();
    for (Member& member : filters_) member.base->JoinFilterGraph(nullptr, nullptr);
}

void* FilterGraph::interfaceFor(REFIID riid) {
    if (riid == IID_IGraphBuilder || riid == IID_IFilterGraph) return static_cast<IGraphBuilder*>(this);
    if (riid == IID_IMediaControl) return static_cast<IMediaControl*>(this);
    if (riid == IID_IMediaEvent) return static_cast<IMediaEvent*>(this);
    if (riid == IID_IMediaSeeking) return static_cast<IMediaSeeking*>(this);
    if (riid == IID_IMediaFilter || riid == IID_IPersist) return static_cast<IMediaFilter*>(this);
    if (riid == IID_IMediaEventSink) return static_cast<IMediaEventSink*>(this);
    return ComObject::interfaceFor(riid);
}

bool FilterGraph::contains(const FilterBase& filter) const {
    return std::any_of(filters_.begin(), filters_.end(), [&](const Member& m) { return m.base == &filter; });
}

// Building.

HRESULT FilterGraph::AddFilter(IBaseFilter* pFilter, LPCWSTR pName) {
    MORVALE_INSTRUMENTED_CALL("IFilterGraph::AddFilter");
    if (!pFilter) return E_POINTER;
    FilterBase* base = asFilter(pFilter);
    if (!base) return E_NOTIMPL;  // filters of another implementation
    if (base->graph() != nullptr) return VFW_E_WRONG_STATE;
    std::wstring name = pName ? pName : L"";
    HRESULT result = S_OK;
    const auto taken = [&](const std::wstring& candidate) {
        return std::any_of(filters_.begin(), filters_.end(), [&](const Member& m) { return m.name == candidate; });
    };
    if (taken(name)) {
        // Windows appends a number to a name already in the graph.
        int number = 1;
        while (taken(name + L" " + std::to_wstring(number))) ++number;
        name += L" " + std::to_wstring(number);
        result = VFW_S_DUPLICATE_NAME;
    }
    filters_.push_back(Member{ComPtr<IBaseFilter>::share(pFilter), base, name});
    base->JoinFilterGraph(static_cast<IGraphBuilder*>(this), name.c_str());
    return result;
}

HRESULT FilterGraph::RemoveFilter(IBaseFilter* pFilter) {
    if (!pFilter) return E_POINTER;
    const auto member =
        std::find_if(filters_.begin(), filters_.end(), [&](const Member& m) { return m.filter.get() == pFilter; });
    if (member == filters_.end()) return E_FAIL;
    const ComPtr<IBaseFilter> keep = member->filter;
    member->base->disconnectPins();
    member->base->JoinFilterGraph(nullptr, nullptr);
    filters_.erase(member);
    return S_OK;
}

HRESULT FilterGraph::AddSourceFilter(LPCWSTR lpcwstrFileName, LPCWSTR lpcwstrFilterName, IBaseFilter** ppFilter) {
    MORVALE_INSTRUMENTED_CALL("IGraphBuilder::AddSourceFilter");
    if (!lpcwstrFileName || !ppFilter) return E_POINTER;
    *ppFilter = nullptr;
    Hooks::InternalCalls internal;
    std::shared_ptr<OpenedFile> file;
    if (HRESULT hr = OpenedFile::open(lpcwstrFileName, file); FAILED(hr)) return hr;
    ComPtr<SourceFilter> source = SourceFilter::create(file);
    if (!source) return E_OUTOFMEMORY;
    const HRESULT added = AddFilter(source.get(), lpcwstrFilterName ? lpcwstrFilterName : lpcwstrFileName);
    if (FAILED(added)) return added;
    files_.push_back(std::move(file));
    *ppFilter = source.detach();
    return added;
}

HRESULT FilterGraph::Connect(IPin* ppinOut, IPin* ppinIn) {
    MORVALE_INSTRUMENTED_CALL("IGraphBuilder::Connect");
    if (!ppinOut || !ppinIn) return E_POINTER;
    Pin* out = asPin(ppinOut);
    Pin* in = asPin(ppinIn);
    if (!out || !in) return VFW_E_CANNOT_CONNECT;
    if (out->direction() != PINDIR_OUTPUT || in->direction() != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;
    if (out->peer() || in->peer()) return VFW_E_ALREADY_CONNECTED;
    if (!contains(out->owner()) || !contains(in->owner())) return VFW_E_NOT_IN_GRAPH;
    {
        std::lock_guard lock(signal_->mutex);
        if (running_) return VFW_E_NOT_STOPPED;
    }
    switch (in->kind()) {
        case Pin::Kind::SplitterInput:
            if (out->kind() != Pin::Kind::FileBytes) return VFW_E_CANNOT_CONNECT;
            out->attach(*in, aviByteStreamMediaType());
            in->attach(*out, aviByteStreamMediaType());
            in->owner().inputConnected(*in);
            return S_OK;
        case Pin::Kind::GrabberInput:
            return connectToGrabber(*out, static_cast<SampleGrabber&>(in->owner()));
        case Pin::Kind::RendererInput: {
            if (out->kind() == Pin::Kind::GrabberOutput) {
                const Pin& grabberInput = static_cast<SampleGrabber&>(out->owner()).input();
                if (!grabberInput.peer()) return VFW_E_NOT_CONNECTED;
                const MediaTypeValue type = grabberInput.connectionType();
                out->attach(*in, type);
                in->attach(*out, type);
                return S_OK;
            }
            if (out->kind() != Pin::Kind::Stream && out->kind() != Pin::Kind::FileBytes) return VFW_E_CANNOT_CONNECT;
            const MediaTypeValue type =
                out->kind() == Pin::Kind::Stream ? out->file()->stream(out->stream())->type : aviByteStreamMediaType();
            out->attach(*in, type);
            in->attach(*out, type);
            return S_OK;
        }
        default:
            return VFW_E_CANNOT_CONNECT;
    }
}

HRESULT FilterGraph::connectToGrabber(Pin& out, SampleGrabber& grabber) {
    const std::shared_ptr<OpenedFile>& file = out.file();
    if (!file) return VFW_E_CANNOT_CONNECT;
    // A stream pin brings its stream; an AVI file's pin its first video
    // stream the grabber takes (the graph splits the file itself).
    const OpenedFile::StreamFacts* chosen = nullptr;
    if (out.kind() == Pin::Kind::Stream) {
        chosen = file->stream(out.stream());
        if (chosen && !(chosen->decodable && grabber.accepts(*chosen))) chosen = nullptr;
    } else if (out.kind() == Pin::Kind::FileBytes) {
        for (const OpenedFile::StreamFacts& facts : file->streams()) {
            if (facts.decodable && grabber.accepts(facts)) {
                chosen = &facts;
                break;
            }
        }
    }
    if (!chosen) return VFW_E_CANNOT_CONNECT;
    const VIDEOINFOHEADER& header = *chosen->type.videoInfo();
    const int width = header.bmiHeader.biWidth;
    const int height = header.bmiHeader.biHeight;
    out.attach(grabber.input(), out.kind() == Pin::Kind::Stream ? chosen->type : aviByteStreamMediaType());
    grabber.input().attach(out, rgb24MediaType(width, height, header.AvgTimePerFrame));
    grabber.setRoute(SampleGrabber::Route{file, chosen->index, width, height});
    return S_OK;
}

HRESULT FilterGraph::Disconnect(IPin* ppin) {
    if (!ppin) return E_POINTER;
    Pin* pin = asPin(ppin);
    if (!pin || !contains(pin->owner())) return VFW_E_NOT_IN_GRAPH;
    {
        std::lock_guard lock(signal_->mutex);
        if (running_) return VFW_E_NOT_STOPPED;
    }
    if (!pin->peer()) return S_FALSE;
    const ComPtr<IBaseFilter> self(ComPtr<IBaseFilter>::share(&pin->owner()));
    const ComPtr<IBaseFilter> other(ComPtr<IBaseFilter>::share(&pin->peer()->owner()));
    breakConnection(*pin);
    return S_OK;
}

HRESULT FilterGraph::EnumFilters(IEnumFilters**) { return E_NOTIMPL; }

HRESULT FilterGraph::FindFilterByName(LPCWSTR pName, IBaseFilter** ppFilter) {
    if (!pName || !ppFilter) return E_POINTER;
    *ppFilter = nullptr;
    for (const Member& member : filters_) {
        if (member.name == pName) {
            *ppFilter = ComPtr<IBaseFilter>(member.filter).detach();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT FilterGraph::ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) { return E_NOTIMPL; }
HRESULT FilterGraph::Reconnect(IPin*) { return E_NOTIMPL; }
HRESULT FilterGraph::SetDefaultSyncSource() { return S_OK; }
HRESULT FilterGraph::Render(IPin*) { return E_NOTIMPL; }
HRESULT FilterGraph::RenderFile(LPCWSTR, LPCWSTR) { return E_NOTIMPL; }
HRESULT FilterGraph::SetLogFile(DWORD_PTR) { return S_OK; }
HRESULT FilterGraph::Abort() { return S_OK; }
HRESULT FilterGraph::ShouldOperationContinue() { return S_OK; }

HRESULT FilterGraph::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}
HRESULT FilterGraph::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT FilterGraph::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT FilterGraph::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) { return E_NOTIMPL; }

// Running.

HRESULT FilterGraph::Run() {
    MORVALE_INSTRUMENTED_CALL("IMediaControl::Run");
    std::lock_guard lock(signal_->mutex);
    if (running_) return S_OK;
    runs_.clear();
    for (const std::shared_ptr<OpenedFile>& file : files_) {
        std::vector<StreamingRun::Target> targets;
        for (const Member& member : filters_) {
            auto* grabber = dynamic_cast<SampleGrabber*>(member.base);
            if (!grabber || !grabber->route() || grabber->route()->file != file) continue;
            targets.push_back({ComPtr<SampleGrabber>::share(grabber), *grabber->route()});
        }
        if (targets.empty()) continue;
        runs_.push_back(std::make_unique<StreamingRun>(file, std::move(targets), signal_, quirks_.untimedFrame));
    }
    for (auto& run : runs_) run->start();
    running_ = true;
    for (Member& member : filters_) member.base->Run(0);
    return S_OK;
}

void FilterGraph::stopRuns() {
    std::vector<std::unique_ptr<StreamingRun>> runs;
    {
        std::lock_guard lock(signal_->mutex);
        running_ = false;
        runs.swap(runs_);
        signal_->changed.notify_all();
    }
    // Outside the lock: a run ends by taking it.
    for (auto& run : runs) run->stop();
}

HRESULT FilterGraph::Stop() {
    MORVALE_INSTRUMENTED_CALL("IMediaControl::Stop");
    stopRuns();
    for (Member& member : filters_) member.base->Stop();
    return S_OK;
}

HRESULT FilterGraph::Pause() { return E_NOTIMPL; }

HRESULT FilterGraph::StopWhenReady() { return Stop(); }

HRESULT FilterGraph::GetState(LONG, OAFilterState* pfs) {
    if (!pfs) return E_POINTER;
    std::lock_guard lock(signal_->mutex);
    *pfs = running_ ? State_Running : State_Stopped;
    return S_OK;
}

HRESULT FilterGraph::RenderFile(BSTR) { return E_NOTIMPL; }
HRESULT FilterGraph::AddSourceFilter(BSTR, IDispatch**) { return E_NOTIMPL; }
HRESULT FilterGraph::get_FilterCollection(IDispatch**) { return E_NOTIMPL; }
HRESULT FilterGraph::get_RegFilterCollection(IDispatch**) { return E_NOTIMPL; }

HRESULT FilterGraph::WaitForCompletion(LONG msTimeout, LONG* pEvCode) {
    MORVALE_INSTRUMENTED_CALL("IMediaEvent::WaitForCompletion");
    if (!pEvCode) return E_POINTER;
    *pEvCode = 0;
    std::unique_lock lock(signal_->mutex);
    if (!running_) return VFW_E_WRONG_STATE;
    const auto settled = [this] {
        return !running_ ||
               std::all_of(runs_.begin(), runs_.end(), [](const auto& run) { return run->finished(); });
    };
    if (static_cast<DWORD>(msTimeout) == INFINITE) {
        signal_->changed.wait(lock, settled);
    } else if (!signal_->changed.wait_for(lock, std::chrono::milliseconds(msTimeout), settled)) {
        return E_ABORT;
    }
    if (!running_) return VFW_E_WRONG_STATE;
    const bool failed = std::any_of(runs_.begin(), runs_.end(), [](const auto& run) { return run->failed(); });
    *pEvCode = failed ? EC_ERRORABORT : EC_COMPLETE;
    return S_OK;
}

HRESULT FilterGraph::GetEventHandle(OAEVENT*) { return E_NOTIMPL; }
HRESULT FilterGraph::GetEvent(LONG*, LONG_PTR*, LONG_PTR*, LONG) { return E_NOTIMPL; }
HRESULT FilterGraph::CancelDefaultHandling(LONG) { return S_OK; }
HRESULT FilterGraph::RestoreDefaultHandling(LONG) { return S_OK; }
HRESULT FilterGraph::FreeEventParams(LONG, LONG_PTR, LONG_PTR) { return S_OK; }

HRESULT FilterGraph::GetClassID(CLSID* pClassID) {
    if (!pClassID) return E_POINTER;
    *pClassID = CLSID_FilterGraph;
    return S_OK;
}

HRESULT FilterGraph::Run(REFERENCE_TIME) { return Run(); }

HRESULT FilterGraph::GetState(DWORD, FILTER_STATE* State) {
    if (!State) return E_POINTER;
    std::lock_guard lock(signal_->mutex);
    *State = running_ ? State_Running : State_Stopped;
    return S_OK;
}

HRESULT FilterGraph::SetSyncSource(IReferenceClock* pClock) {
    MORVALE_INSTRUMENTED_CALL("IMediaFilter::SetSyncSource");
    clock_ = ComPtr<IReferenceClock>::share(pClock);
    return S_OK;
}

HRESULT FilterGraph::GetSyncSource(IReferenceClock** pClock) {
    if (!pClock) return E_POINTER;
    *pClock = ComPtr<IReferenceClock>(clock_).detach();
    return S_OK;
}

HRESULT FilterGraph::Notify(LONG, LONG_PTR, LONG_PTR) { return S_OK; }

// Seeking: the longest of the files; a rewind goes to every file.

LONGLONG FilterGraph::seekingDuration() {
    LONGLONG longest = 0;
    for (const auto& file : files_) longest = std::max(longest, file->duration());
    return longest;
}

void FilterGraph::seekToStart() {
    for (const auto& file : files_) file->requestRewind();
}

}  // namespace MorvalePlatform
