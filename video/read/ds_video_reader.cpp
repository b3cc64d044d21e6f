#include "video/read/ds_video_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "media/check_hresult.h"
#include "platform/utf.h"
#include "video/read/codec_name_tables.h"
#include "video/read/frame_layout.h"
#include "video/read/page_warmer.h"

namespace TravexUtils {

using MorvalePlatform::ComPtr;
using MorvalePlatform::EventHandle;
using MorvalePlatform::MediaTypeGuard;

namespace {

constexpr double kHundredNanosecondsPerSecond = 1e7;
constexpr LONG kNoTimeLimit = static_cast<LONG>(INFINITE);
// How long a stepping read waits for its frame before it asks the graph
// whether the run is still going (a run that ended without the frame, say
// because its decoder could not be opened, would otherwise be waited for
// forever).
constexpr DWORD kFrameWaitSliceMs = 250;

// The text after the last ".", lower-cased; empty without a ".".
std::string lowerExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) {
        return {};
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// The first pin of the filter in that direction that is not connected;
// E_FAIL when there is none.
HRESULT firstUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, ComPtr<IPin>& found) {
    ComPtr<IEnumPins> pins;
    if (filter == nullptr || filter->EnumPins(&pins) != S_OK || !pins) {
        return E_FAIL;
    }
    for (;;) {
        ComPtr<IPin> pin;
        if (pins->Next(1, &pin, nullptr) != S_OK || !pin) {
            return E_FAIL;
        }
        PIN_DIRECTION pinDirection{};
        ComPtr<IPin> peer;
        if (pin->QueryDirection(&pinDirection) == S_OK && pinDirection == direction && FAILED(pin->ConnectedTo(&peer))) {
            found = std::move(pin);
            return S_OK;
        }
    }
}

// Connects an output pin to the filter's first unconnected input pin; the
// graph may put decoders between them.
HRESULT connectToFilter(IGraphBuilder* graph, IPin* output, IBaseFilter* filter) {
    if (graph == nullptr || output == nullptr || filter == nullptr) {
        return E_POINTER;
    }
    ComPtr<IPin> input;
    const HRESULT found = firstUnconnectedPin(filter, PINDIR_INPUT, input);
    if (FAILED(found)) {
        return found;
    }
    return graph->Connect(output, input.get());
}

}  // namespace

DSVideoReader::DSVideoReader(std::string path)
    : VideoReader(std::move(path)), callback_(std::make_unique<SampleGrabberCB>()) {}

DSVideoReader::~DSVideoReader() { releaseGraph(); }

void DSVideoReader::releaseInterfaces() noexcept {
    // The graph goes last: releasing it ends its runs and joins their
    // threads once nothing else holds its filters.
    grabber_.reset();
    grabberFilter_.reset();
    nullRenderer_.reset();
    aviSplitter_.reset();
    sourceFilter_.reset();
    mediaFilter_.reset();
    mediaSeeking_.reset();
    mediaEventSink_.reset();
    mediaEvent_.reset();
    mediaControl_.reset();
    graph_.reset();
    videoHeader_ = nullptr;
    MorvalePlatform::freeMediaType(*connectedType_.get());
}

void DSVideoReader::buildGraph() {
    if (graphBuilt_) {
        return;
    }
    releaseInterfaces();  // what a failed build left
    const auto widePath = MorvalePlatform::utf8ToWide(info.path);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE);
    avi_ = lowerExtension(info.path) == "avi";

    checkHResult(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  graph_.putVoid()),
                 "DSGraphCreateError", "Can't create a DirectShow graph");
    checkHResult(graph_->QueryInterface(IID_IMediaControl, mediaControl_.putVoid()), "DSInterfaceQueryError",
                 "Can't query control interface");
    checkHResult(graph_->QueryInterface(IID_IMediaEvent, mediaEvent_.putVoid()), "DSEventQueryError",
                 "Can't query event interface");
    checkHResult(graph_->QueryInterface(IID_IMediaFilter, mediaFilter_.putVoid()), "DSMediaFilterQueryError",
                 "Can't query media filter interface");
    checkHResult(graph_->QueryInterface(IID_IMediaSeeking, mediaSeeking_.putVoid()), "DSSeekingQueryError",
                 "Can't query media seeking interface");
    checkHResult(graph_->QueryInterface(IID_IMediaEventSink, mediaEventSink_.putVoid()), "DSSeekingQueryError",
                 "Can't query media seeking interface");

    if (!widePath) {
        // No file can have this name: the source filter cannot be added.
        ErrorManager::throwException("DSAddSourceFilterError", "Path is not valid UTF-8");
    }
    checkHResult(graph_->AddSourceFilter(widePath->c_str(), L"Source Filter", &sourceFilter_),
                 "DSAddSourceFilterError", "Can't add source filter");

    if (avi_) {
        checkHResult(CoCreateInstance(CLSID_AviSplitter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                      aviSplitter_.putVoid()),
                     "DSAviSplitterCreateError", "Can't create a AVI splitter filter");
        checkHResult(graph_->AddFilter(aviSplitter_.get(), L"AVI Splitter Filter"), "DSAddAviSplitterFilterError",
                     "Can't add avi splitter filter to graph");
    }

    checkHResult(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  grabberFilter_.putVoid()),
                 "DSGrabberFilterCreateError", "Can't create sample grabber filter");
    checkHResult(grabberFilter_->QueryInterface(IID_ISampleGrabber, grabber_.putVoid()), "GrabberQueryError",
                 "Can't query grabber interface");
    checkHResult(graph_->AddFilter(grabberFilter_.get(), L"Grabber Filter"), "DSAddGrabberFilterError",
                 "Can't add grabber filter to graph");

    MediaTypeGuard uncompressed;
    uncompressed->majortype = MEDIATYPE_Video;
    uncompressed->subtype = MEDIASUBTYPE_RGB24;
    checkHResult(grabber_->SetMediaType(uncompressed.get()), "DSMediaTypeSetError",
                 "Can't set uncompressed media type");
    checkHResult(grabber_->SetOneShot(FALSE), "DSGrabberPropertySetError", "Can't set grabber to multishot");
    checkHResult(grabber_->SetBufferSamples(FALSE), "DSGrabberPropertySetError",
                 "Can't set grabber to non-single buffer");

    connectSourceToGrabber();
    if (videoHeader_ == nullptr) {
        ErrorManager::throwException("DSNullPointerError", "Expected a valid video header");
    }

    checkHResult(CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  nullRenderer_.putVoid()),
                 "DSNullFilterCreateError", "Can't create null filter");
    checkHResult(graph_->AddFilter(nullRenderer_.get(), L"Null Filter"), "DSAddNullFilterError",
                 "Can't add null filter");
    {
        ComPtr<IPin> grabberOutput;
        HRESULT connected = E_POINTER;
        if (graph_ && grabberFilter_ && nullRenderer_) {
            connected = firstUnconnectedPin(grabberFilter_.get(), PINDIR_OUTPUT, grabberOutput);
            if (SUCCEEDED(connected)) {
                connected = connectToFilter(graph_.get(), grabberOutput.get(), nullRenderer_.get());
            }
        }
        checkHResult(connected, "DSConntectFilterError", "Can't connect grabber filter with null filter");
    }
    checkHResult(mediaFilter_->SetSyncSource(nullptr), "DSSetSourceSyncError", "Can't set source sync to null");

    if (!callback_) {
        callback_ = std::make_unique<SampleGrabberCB>();
    }
    graphBuilt_ = true;
}

void DSVideoReader::connectSourceToGrabber() {
    ComPtr<IEnumPins> sourcePins;
    checkHResult(sourceFilter_->EnumPins(&sourcePins), "DSSourceFilterEnumPinError", "Can't enum source filter pins");
    for (;;) {
        ComPtr<IPin> pin;
        if (sourcePins->Next(1, &pin, nullptr) != S_OK || !pin) {
            return;
        }
        IBaseFilter* next = avi_ ? aviSplitter_.get() : grabberFilter_.get();
        if (FAILED(connectToFilter(graph_.get(), pin.get(), next))) {
            continue;
        }
        if (avi_) {
            pin = connectSplitterToGrabber();
            if (!pin) {
                continue;
            }
        }
        readConnectionType(*pin);
        if (videoHeader_ != nullptr) {
            return;
        }
    }
}

ComPtr<IPin> DSVideoReader::connectSplitterToGrabber() {
    ComPtr<IEnumPins> splitterPins;
    checkHResult(aviSplitter_->EnumPins(&splitterPins), "DSSourceFilterEnumPinError",
                 "Can't enum source filter pins");
    for (;;) {
        ComPtr<IPin> pin;
        if (splitterPins->Next(1, &pin, nullptr) != S_OK || !pin) {
            return nullptr;
        }
        if (SUCCEEDED(connectToFilter(graph_.get(), pin.get(), grabberFilter_.get()))) {
            mediaSeeking_.reset();
            checkHResult(pin->QueryInterface(IID_IMediaSeeking, mediaSeeking_.putVoid()), "DSSeekingQueryError",
                         "Can't query media seeking interface");
            return pin;
        }
    }
}

void DSVideoReader::readConnectionType(IPin& pin) {
    videoHeader_ = nullptr;
    MorvalePlatform::freeMediaType(*connectedType_.get());
    checkHResult(pin.ConnectionMediaType(connectedType_.get()), "DSPinMediaTypeGetError",
                 "Can't get media type of the pin");
    subtype_ = connectedType_->subtype;
    // A format block too short for a video header is no video header.
    if (connectedType_->pbFormat != nullptr && connectedType_->cbFormat >= sizeof(VIDEOINFOHEADER)) {
        videoHeader_ = reinterpret_cast<const VIDEOINFOHEADER*>(connectedType_->pbFormat);
    }
}

void DSVideoReader::loadProperties() {
    buildGraph();
    if (propertiesLoaded_) {
        return;
    }
    if (!mediaSeeking_) {
        ErrorManager::throwException("DSNullPointerError", "Media seeking pointer is null");
    }
    streamDuration_ = 0;
    mediaSeeking_->GetDuration(&streamDuration_);
    info.duration = static_cast<double>(streamDuration_) / kHundredNanosecondsPerSecond;
    if (avi_) {
        info.width = static_cast<uint32_t>(std::abs(videoHeader_->bmiHeader.biWidth));
        info.height = static_cast<uint32_t>(std::abs(videoHeader_->bmiHeader.biHeight));
    } else {
        info.width = static_cast<uint32_t>(videoHeader_->rcSource.right);
        info.height = static_cast<uint32_t>(videoHeader_->rcSource.bottom);
    }
    info.bitRate = videoHeader_->dwBitRate;
    info.frameRate = kHundredNanosecondsPerSecond / static_cast<double>(videoHeader_->AvgTimePerFrame);
    info.encodingName = subtypeName(DSSubtypeNameTable(), subtype_);
    propertiesLoaded_ = true;
}

void DSVideoReader::countFrames() {
    loadProperties();
    if (countDone_) {
        return;
    }
    // Nothing a failed count left behind is counted again.
    callback_->beginCounting();
    checkHResult(grabber_->SetCallback(callback_.get(), 0), "DSSetCallbackError", "Can't set callback function");
    LONG eventCode = 0;
    mediaControl_->Run();
    mediaEvent_->WaitForCompletion(kNoTimeLimit, &eventCode);

    info.frameCount = static_cast<uint32_t>(callback_->sampleCounter);
    if (info.frameCount == 0) {
        ErrorManager::throwException("DSPropertyGetError", "Error getting frame count");
    }
    info.frameDurations = callback_->finishCounting(streamDuration_);
    info.frameRate = static_cast<double>(info.frameCount) / info.duration;
    if (info.frameRate == 0.0) {
        ErrorManager::throwException("DSPropertyGetError", "Error getting frame rate");
    }
    countDone_ = true;
}

void DSVideoReader::createStepEvents() {
    nextFrameEvent_ = EventHandle(CreateEventA(nullptr, TRUE, FALSE, "GetNextFrame"));
    frameReadyEvent_ = EventHandle(CreateEventA(nullptr, TRUE, FALSE, "CurrentFrameReady"));
    if (!nextFrameEvent_.get() || !frameReadyEvent_.get()) {
        // Without its events the streaming thread would not wait for the host.
        ErrorManager::throwException("DSNullPointerError", "Can't create the stepping events");
    }
}

void DSVideoReader::prepareRun(int32_t lastIndex, bool stepping) {
    SampleGrabberCB& callback = *callback_;
    callback.sampleCounter = 0;
    callback.lastIndex = lastIndex;
    callback.width = info.width;
    callback.height = info.height;
    callback.nextFrameEvent = nextFrameEvent_.get();
    callback.frameReadyEvent = frameReadyEvent_.get();
    callback.stepping = stepping;
    callback.stopped.store(false);
    mediaControl_->Stop();
    LONGLONG start = 0;
    mediaSeeking_->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    checkHResult(grabber_->SetCallback(callback_.get(), 1), "DSSetCallbackError", "Can't set callback function");
}

void DSVideoReader::waitForSteppedFrame() {
    for (;;) {
        const DWORD waited = WaitForSingleObject(frameReadyEvent_.get(), kFrameWaitSliceMs);
        if (waited != WAIT_TIMEOUT) {
            break;
        }
        LONG eventCode = 0;
        if (mediaEvent_->WaitForCompletion(0, &eventCode) != E_ABORT &&
            WaitForSingleObject(frameReadyEvent_.get(), 0) != WAIT_OBJECT_0) {
            ErrorManager::throwException("DSEndOfFile", "Error end of file reached");
        }
    }
    ResetEvent(frameReadyEvent_.get());
}

void DSVideoReader::readFrames(const FrameRequest& requests, bool stepping, uint8_t* output, int32_t lastIndex,
                               bool storeCount) {
    countFrames();
    const bool beginsRun = stepping && !requests.empty() && requests.smallestIndex() == 0;
    if (beginsRun) {
        createStepEvents();
    }
    if (!stepping || beginsRun) {
        prepareRun(lastIndex, stepping);
    }
    SampleGrabberCB& callback = *callback_;
    LONG eventCode = 0;
    if (stepping && int64_t{currentFrame_} == int64_t{info.frameCount} - 1) {
        callback.stopped.store(true);
        SetEvent(nextFrameEvent_.get());
        mediaEvent_->WaitForCompletion(kNoTimeLimit, &eventCode);
        ErrorManager::throwException("DSEndOfFile", "Error end of file reached");
    }

    callback.requests = requests;
    callback.output = output;
    if (stepping) {
        if (beginsRun) {
            ResetEvent(nextFrameEvent_.get());
            mediaControl_->Run();
        } else {
            SetEvent(nextFrameEvent_.get());
        }
        ++currentFrame_;
        waitForSteppedFrame();
        return;
    }
    {
        // The run fills slots 0 to the largest requested one, mapped ahead
        // of the copy.
        const PageWarmer warmer(
            output, static_cast<std::size_t>(FrameLayout::slotOffset(requests.slotCount(), info.width, info.height)));
        ResetEvent(nextFrameEvent_.get());
        mediaControl_->Run();
        mediaEvent_->WaitForCompletion(kNoTimeLimit, &eventCode);
    }
    if (storeCount) {
        info.frameCount = static_cast<uint32_t>(callback.sampleCounter);
        countDone_ = true;
    }
    if (!requests.empty() && requests.largestIndex() >= callback.sampleCounter) {
        ErrorManager::throwException("DSInvalidFrameIndex", "Error getting the required frame");
    }
}

void DSVideoReader::readFrames(const PlannedRequest& plan, uint8_t* destination) {
    readFrames(plan.request, false, destination, plan.lastIndex, plan.storeCount);
}

void DSVideoReader::readNextFrame(uint8_t* destination) {
    FrameRequest request;
    request.insert(int64_t{currentFrame_} + 1, 0);
    readFrames(request, true, destination, 0, false);
}

void DSVideoReader::releaseGraph() noexcept {
    if (callback_ && !callback_->stopped.load()) {
        // A streaming thread waiting for the next request goes on, ignoring
        // the rest of the file, and the run ends.
        callback_->stopped.store(true);
        SetEvent(nextFrameEvent_.get());
        if (mediaEvent_) {
            LONG eventCode = 0;
            mediaEvent_->WaitForCompletion(kNoTimeLimit, &eventCode);
        }
    }
    graphBuilt_ = false;
    releaseInterfaces();  // the grabber lets go of the callback here
    callback_.reset();
    nextFrameEvent_.reset();
    frameReadyEvent_.reset();
    currentFrame_ = -1;  // a stepping run ends with its graph
}

}  // namespace TravexUtils
