// A DirectShow graph built the way the library's DirectShow reader builds
// one: source filter, an AVI splitter for AVI files, a sample grabber asking
// for 24-bit RGB, the first source (or splitter) pin that connects to it,
// a null renderer behind it and no clock. Test helpers for the graph tests;
// every interface is held by a ComPtr so a session leaves nothing behind.
#pragma once

#include <string>

#include "platform/com_ptr.h"
#include "platform/direct_show.h"
#include "platform/free_media_type.h"

namespace PlatformTest {

using MorvalePlatform::ComPtr;

struct GraphSession {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> event;
    ComPtr<IMediaFilter> filter;
    ComPtr<IMediaSeeking> seeking;  // the splitter pin's for AVI files, as the reader does
    ComPtr<IBaseFilter> source;
    ComPtr<IBaseFilter> splitter;
    ComPtr<IBaseFilter> grabberFilter;
    ComPtr<ISampleGrabber> grabber;
    ComPtr<IBaseFilter> nullRenderer;
    ComPtr<IPin> videoPin;  // the pin whose connection carries the compressed stream
    HRESULT failure = S_OK;   // the first failed step, or S_OK
    std::string failedStep;

    // useSplitter: whether the AVI splitter is put in (the reader does so
    // for paths ending in "avi").
    static GraphSession build(const std::string& path, bool useSplitter);
    bool built() const { return failure == S_OK; }
};

// The first pin of the filter in the direction that is not connected.
ComPtr<IPin> firstUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction);

}  // namespace PlatformTest
