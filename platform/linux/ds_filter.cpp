// FilterBase and Pin; see ds_filter.h.
#include "platform/linux/ds_filter.h"

#include <algorithm>
#include <cstring>

#include "platform/linux/ds_enum_pins.h"
#include "platform/linux/test_hooks.h"

namespace MorvalePlatform {

HRESULT taskMemoryString(const std::wstring& text, LPWSTR* result) {
    if (!result) return E_POINTER;
    const std::size_t bytes = (text.size() + 1) * sizeof(WCHAR);
    *result = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*result) return E_OUTOFMEMORY;
    std::memcpy(*result, text.c_str(), bytes);
    return S_OK;
}

namespace {

void copyName(const std::wstring& name, WCHAR* target, std::size_t capacity) {
    const std::size_t count = std::min(name.size(), capacity - 1);
    std::copy_n(name.begin(), count, target);
    target[count] = 0;
}

}  // namespace

FilterBase* asFilter(IBaseFilter* filter) noexcept { return dynamic_cast<FilterBase*>(filter); }

Pin* asPin(IPin* pin) noexcept { return dynamic_cast<Pin*>(pin); }

// Pin.

Pin::Pin(FilterBase& owner, Kind kind, std::wstring name, std::shared_ptr<OpenedFile> file, int stream)
    : owner_(owner), kind_(kind), name_(std::move(name)), file_(std::move(file)), stream_(stream) {}

HRESULT Pin::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IPin) {
        *object = static_cast<IPin*>(this);
    } else if (riid == IID_IMediaSeeking && kind_ == Kind::Stream) {
        *object = static_cast<IMediaSeeking*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG Pin::AddRef() { return owner_.AddRef(); }
ULONG Pin::Release() { return owner_.Release(); }

PIN_DIRECTION Pin::direction() const noexcept {
    switch (kind_) {
        case Kind::SplitterInput:
        case Kind::GrabberInput:
        case Kind::RendererInput:
            return PINDIR_INPUT;
        default:
            return PINDIR_OUTPUT;
    }
}

void Pin::attach(Pin& peer, MediaTypeValue type) {
    peer_ = ComPtr<IPin>::share(&peer);
    peerPin_ = &peer;
    connectionType_ = std::move(type);
}

void Pin::detach() {
    peerPin_ = nullptr;
    connectionType_ = MediaTypeValue{};
    peer_.reset();  // last: may release the peer's filter
}

HRESULT Pin::Connect(IPin*, const AM_MEDIA_TYPE*) { return E_NOTIMPL; }
HRESULT Pin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) { return E_NOTIMPL; }

HRESULT Pin::Disconnect() {
    if (!peerPin_) return S_FALSE;
    if (owner_.graph() == nullptr) return VFW_E_NOT_IN_GRAPH;
    return owner_.graph()->Disconnect(this);
}

HRESULT Pin::ConnectedTo(IPin** pPin) {
    MORVALE_INSTRUMENTED_CALL("IPin::ConnectedTo");
    if (!pPin) return E_POINTER;
    *pPin = nullptr;
    if (!peerPin_) return VFW_E_NOT_CONNECTED;
    *pPin = ComPtr<IPin>(peer_).detach();
    return S_OK;
}

HRESULT Pin::ConnectionMediaType(AM_MEDIA_TYPE* pmt) {
    MORVALE_INSTRUMENTED_CALL("IPin::ConnectionMediaType");
    if (!pmt) return E_POINTER;
    if (!peerPin_) {
        *pmt = AM_MEDIA_TYPE{};
        return VFW_E_NOT_CONNECTED;
    }
    return connectionType_.copyTo(*pmt);
}

HRESULT Pin::QueryPinInfo(PIN_INFO* pInfo) {
    if (!pInfo) return E_POINTER;
    pInfo->pFilter = ComPtr<IBaseFilter>::share(&owner_).detach();
    pInfo->dir = direction();
    copyName(name_, pInfo->achName, MAX_PIN_NAME);
    return S_OK;
}

HRESULT Pin::QueryDirection(PIN_DIRECTION* pPinDir) {
    MORVALE_INSTRUMENTED_CALL("IPin::QueryDirection");
    if (!pPinDir) return E_POINTER;
    *pPinDir = direction();
    return S_OK;
}

HRESULT Pin::QueryId(LPWSTR* Id) { return taskMemoryString(name_, Id); }

HRESULT Pin::QueryAccept(const AM_MEDIA_TYPE*) { return E_NOTIMPL; }
HRESULT Pin::EnumMediaTypes(IEnumMediaTypes**) { return E_NOTIMPL; }
HRESULT Pin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }
HRESULT Pin::EndOfStream() { return E_UNEXPECTED; }
HRESULT Pin::BeginFlush() { return E_UNEXPECTED; }
HRESULT Pin::EndFlush() { return E_UNEXPECTED; }
HRESULT Pin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

LONGLONG Pin::seekingDuration() {
    const OpenedFile::StreamFacts* facts = file_ ? file_->stream(stream_) : nullptr;
    return facts ? facts->duration : 0;
}

void Pin::seekToStart() {
    if (file_) file_->requestRewind();
}

// FilterBase.

FilterBase::~FilterBase() = default;

void* FilterBase::interfaceFor(REFIID riid) {
    if (riid == IID_IBaseFilter) return static_cast<IBaseFilter*>(this);
    if (riid == IID_IMediaFilter) return static_cast<IMediaFilter*>(this);
    if (riid == IID_IPersist) return static_cast<IPersist*>(this);
    return ComObject::interfaceFor(riid);
}

Pin& FilterBase::addPin(Pin::Kind kind, std::wstring name, std::shared_ptr<OpenedFile> file, int stream) {
    pins_.push_back(std::make_unique<Pin>(*this, kind, std::move(name), std::move(file), stream));
    return *pins_.back();
}

void FilterBase::retirePinsAfter(std::size_t keep) {
    while (pins_.size() > keep) {
        retired_.push_back(std::move(pins_.back()));
        pins_.pop_back();
    }
}

void breakConnection(Pin& pin) {
    Pin* peer = pin.peer();
    if (!peer) return;
    Pin& input = pin.direction() == PINDIR_INPUT ? pin : *peer;
    input.owner().inputDisconnecting(input);
    peer->detach();
    pin.detach();
}

void FilterBase::disconnectPins(std::size_t first) {
    // By index: a splitter drops pins while its input is disconnected.
    for (std::size_t i = first; i < pins_.size(); ++i) breakConnection(*pins_[i]);
}

HRESULT FilterBase::GetClassID(CLSID* pClassID) {
    if (!pClassID) return E_POINTER;
    *pClassID = clsid_;
    return S_OK;
}

HRESULT FilterBase::Stop() {
    state_ = State_Stopped;
    return S_OK;
}

HRESULT FilterBase::Pause() {
    state_ = State_Paused;
    return S_OK;
}

HRESULT FilterBase::Run(REFERENCE_TIME) {
    state_ = State_Running;
    return S_OK;
}

HRESULT FilterBase::GetState(DWORD, FILTER_STATE* State) {
    if (!State) return E_POINTER;
    *State = state_;
    return S_OK;
}

HRESULT FilterBase::SetSyncSource(IReferenceClock* pClock) {
    MORVALE_INSTRUMENTED_CALL("IMediaFilter::SetSyncSource");
    clock_ = ComPtr<IReferenceClock>::share(pClock);
    return S_OK;
}

HRESULT FilterBase::GetSyncSource(IReferenceClock** pClock) {
    if (!pClock) return E_POINTER;
    *pClock = ComPtr<IReferenceClock>(clock_).detach();
    return S_OK;
}

HRESULT FilterBase::EnumPins(IEnumPins** ppEnum) {
    MORVALE_INSTRUMENTED_CALL("IBaseFilter::EnumPins");
    if (!ppEnum) return E_POINTER;
    std::vector<ComPtr<IPin>> pins;
    for (const auto& pin : pins_) pins.push_back(ComPtr<IPin>::share(pin.get()));
    ComPtr<PinEnumerator> enumerator = PinEnumerator::create(std::move(pins));
    if (!enumerator) return E_OUTOFMEMORY;
    *ppEnum = enumerator.detach();
    return S_OK;
}

HRESULT FilterBase::FindPin(LPCWSTR Id, IPin** ppPin) {
    if (!Id || !ppPin) return E_POINTER;
    *ppPin = nullptr;
    for (const auto& pin : pins_) {
        LPWSTR name = nullptr;
        if (FAILED(pin->QueryId(&name))) return E_OUTOFMEMORY;
        const bool same = std::wstring_view(name) == Id;
        CoTaskMemFree(name);
        if (same) {
            *ppPin = ComPtr<IPin>::share(pin.get()).detach();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT FilterBase::QueryFilterInfo(FILTER_INFO* pInfo) {
    if (!pInfo) return E_POINTER;
    copyName(name_, pInfo->achName, MAX_FILTER_NAME);
    pInfo->pGraph = ComPtr<IFilterGraph>::share(graph_).detach();
    return S_OK;
}

HRESULT FilterBase::JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) {
    graph_ = pGraph;
    name_ = pGraph && pName ? pName : L"";
    return S_OK;
}

HRESULT FilterBase::QueryVendorInfo(LPWSTR*) { return E_NOTIMPL; }

}  // namespace MorvalePlatform
