// GraphSession; see ds_graph_session.h.
#include "ds_graph_session.h"

#include "platform/utf.h"

namespace PlatformTest {

ComPtr<IPin> firstUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction) {
    ComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(&pins))) return nullptr;
    for (;;) {
        ComPtr<IPin> pin;
        if (pins->Next(1, &pin, nullptr) != S_OK) return nullptr;
        PIN_DIRECTION pinDirection{};
        ComPtr<IPin> peer;
        if (SUCCEEDED(pin->QueryDirection(&pinDirection)) && pinDirection == direction &&
            FAILED(pin->ConnectedTo(&peer))) {
            return pin;
        }
    }
}

namespace {

HRESULT connectTo(IGraphBuilder* graph, IPin* out, IBaseFilter* filter) {
    ComPtr<IPin> in = firstUnconnectedPin(filter, PINDIR_INPUT);
    if (!in) return E_FAIL;
    return graph->Connect(out, in.get());
}

bool fail(GraphSession& session, HRESULT hr, const char* step) {
    if (hr == S_OK) return false;
    session.failure = FAILED(hr) ? hr : E_UNEXPECTED;
    session.failedStep = step;
    return true;
}

}  // namespace

GraphSession GraphSession::build(const std::string& path, bool useSplitter) {
    GraphSession s;
    const std::wstring widePath = MorvalePlatform::utf8ToWide(path).value_or(L"");
    if (fail(s, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, s.graph.putVoid()),
             "graph")) {
        return s;
    }
    if (fail(s, s.graph->QueryInterface(IID_IMediaControl, s.control.putVoid()), "control") ||
        fail(s, s.graph->QueryInterface(IID_IMediaEvent, s.event.putVoid()), "event") ||
        fail(s, s.graph->QueryInterface(IID_IMediaFilter, s.filter.putVoid()), "filter") ||
        fail(s, s.graph->QueryInterface(IID_IMediaSeeking, s.seeking.putVoid()), "seeking") ||
        fail(s, s.graph->AddSourceFilter(widePath.c_str(), L"Source Filter", &s.source), "source")) {
        return s;
    }
    if (useSplitter &&
        (fail(s, CoCreateInstance(CLSID_AviSplitter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  s.splitter.putVoid()),
              "splitter") ||
         fail(s, s.graph->AddFilter(s.splitter.get(), L"AVI Splitter Filter"), "add splitter"))) {
        return s;
    }
    if (fail(s, CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                 s.grabberFilter.putVoid()),
             "grabber") ||
        fail(s, s.grabberFilter->QueryInterface(IID_ISampleGrabber, s.grabber.putVoid()), "grabber interface") ||
        fail(s, s.graph->AddFilter(s.grabberFilter.get(), L"Grabber Filter"), "add grabber")) {
        return s;
    }
    AM_MEDIA_TYPE wanted{};
    wanted.majortype = MEDIATYPE_Video;
    wanted.subtype = MEDIASUBTYPE_RGB24;
    if (fail(s, s.grabber->SetMediaType(&wanted), "media type") || fail(s, s.grabber->SetOneShot(FALSE), "one shot") ||
        fail(s, s.grabber->SetBufferSamples(FALSE), "buffer samples")) {
        return s;
    }
    ComPtr<IEnumPins> sourcePins;
    if (fail(s, s.source->EnumPins(&sourcePins), "source pins")) return s;
    for (;;) {
        ComPtr<IPin> pin;
        if (sourcePins->Next(1, &pin, nullptr) != S_OK) break;
        if (FAILED(connectTo(s.graph.get(), pin.get(), useSplitter ? s.splitter.get() : s.grabberFilter.get()))) {
            continue;
        }
        if (useSplitter) {
            ComPtr<IEnumPins> splitterPins;
            if (fail(s, s.splitter->EnumPins(&splitterPins), "splitter pins")) return s;
            for (;;) {
                ComPtr<IPin> splitterPin;
                if (splitterPins->Next(1, &splitterPin, nullptr) != S_OK) break;
                if (SUCCEEDED(connectTo(s.graph.get(), splitterPin.get(), s.grabberFilter.get()))) {
                    pin = splitterPin;
                    break;
                }
            }
            s.seeking.reset();
            if (fail(s, pin->QueryInterface(IID_IMediaSeeking, s.seeking.putVoid()), "splitter seeking")) return s;
        }
        MorvalePlatform::MediaTypeGuard type;
        if (fail(s, pin->ConnectionMediaType(type.get()), "connection type")) return s;
        if (type->pbFormat) {
            s.videoPin = pin;
            break;
        }
    }
    if (!s.videoPin) {
        s.failure = E_POINTER;
        s.failedStep = "video header";
        return s;
    }
    if (fail(s, CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                 s.nullRenderer.putVoid()),
             "null renderer") ||
        fail(s, s.graph->AddFilter(s.nullRenderer.get(), L"Null Filter"), "add null renderer")) {
        return s;
    }
    ComPtr<IPin> grabberOut = firstUnconnectedPin(s.grabberFilter.get(), PINDIR_OUTPUT);
    if (fail(s, grabberOut ? connectTo(s.graph.get(), grabberOut.get(), s.nullRenderer.get()) : E_POINTER,
             "null connection") ||
        fail(s, s.filter->SetSyncSource(nullptr), "sync source")) {
        return s;
    }
    return s;
}

}  // namespace PlatformTest
