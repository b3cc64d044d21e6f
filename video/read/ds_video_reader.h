// Reads one video file through a DirectShow filter graph: a source filter
// for the file, an AVI splitter for paths whose extension is "avi", a sample
// grabber asking for 24-bit RGB (the graph puts a decoder in front of it)
// and a null renderer behind it, run without a clock. The properties come
// from the connected stream's format block, the frame count and durations
// from one counting run through the grabber's sample callback, and frames
// from reading runs through its buffer callback: to the last wanted frame
// (random access) or one frame per call, the streaming thread waiting
// between calls (stepping).
//
// Used one call at a time on the host's thread; the graph's streaming
// thread only ever runs the callback object. Holds one reference on each
// interface it obtained until releaseGraph(), which first ends a stepping
// run; the destructor releases what is still held.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/com_ptr.h"
#include "platform/direct_show.h"
#include "platform/event_handle.h"
#include "platform/free_media_type.h"
#include "video/read/frame_request.h"
#include "video/read/sample_grabber_cb.h"
#include "video/read/video_reader.h"

namespace TravexUtils {

class DSVideoReader final : public VideoReader {
public:
    static constexpr ReaderKind kind = ReaderKind::DirectShow;

    explicit DSVideoReader(std::string path);
    ~DSVideoReader() override;

    // Each of these runs once and calls the one before it first; a later
    // call returns at once while its flag is set. A failed buildGraph leaves
    // nothing built, and the next call starts again.
    void buildGraph();
    void loadProperties() override;
    void countFrames() override;

    // Random access (stepping false): one run from the first frame that
    // copies each requested frame into its slots and stops copying after
    // lastIndex; storeCount records the number of frames seen as the frame
    // count. Stepping: the requested frame (the next one) only; a request
    // for frame 0 begins the run, the call after the last frame raises
    // "DSEndOfFile". output holds width x height x 3 bytes per slot.
    void readFrames(const FrameRequest& requests, bool stepping, uint8_t* output, int32_t lastIndex,
                    bool storeCount);
    // Ends a stepping run (the streaming thread is let go and the run waited
    // for) and releases the graph; what was learnt about the file stays.
    void releaseGraph() noexcept;

    // The graph is built by the operations that need it.
    void open() override {}
    void readFrames(const PlannedRequest& plan, uint8_t* destination) override;
    void readNextFrame(uint8_t* destination) override;
    void releasePlatformObjects() noexcept override { releaseGraph(); }

    bool graphBuilt() const noexcept { return graphBuilt_; }
    bool propertiesLoaded() const noexcept { return propertiesLoaded_; }
    bool countDone() const noexcept { return countDone_; }
    bool isAvi() const noexcept { return avi_; }
    int32_t currentFrame() const noexcept { return currentFrame_; }

private:
    void releaseInterfaces() noexcept;
    // The first source pin (through the splitter for AVI files) that
    // connects to the grabber and carries a video header.
    void connectSourceToGrabber();
    // The splitter output that connects to the grabber (its seeking
    // interface replaces the graph's), or null.
    MorvalePlatform::ComPtr<IPin> connectSplitterToGrabber();
    void readConnectionType(IPin& pin);
    void prepareRun(int32_t lastIndex, bool stepping);
    void createStepEvents();
    // Waits until the streaming thread has delivered the stepped frame;
    // "DSEndOfFile" when the run ended without it.
    void waitForSteppedFrame();

    MorvalePlatform::ComPtr<IGraphBuilder> graph_;
    MorvalePlatform::ComPtr<IBaseFilter> sourceFilter_;
    MorvalePlatform::ComPtr<IBaseFilter> nullRenderer_;
    MorvalePlatform::ComPtr<IBaseFilter> aviSplitter_;
    MorvalePlatform::ComPtr<IMediaControl> mediaControl_;
    MorvalePlatform::ComPtr<IMediaEvent> mediaEvent_;
    MorvalePlatform::ComPtr<IMediaEventSink> mediaEventSink_;
    MorvalePlatform::ComPtr<IMediaSeeking> mediaSeeking_;
    MorvalePlatform::ComPtr<IMediaFilter> mediaFilter_;
    MorvalePlatform::ComPtr<IBaseFilter> grabberFilter_;
    MorvalePlatform::ComPtr<ISampleGrabber> grabber_;
    std::unique_ptr<SampleGrabberCB> callback_;
    // The connected stream's media type; videoHeader_ points into its
    // format block, subtype_ is its subtype.
    MorvalePlatform::MediaTypeGuard connectedType_;
    const VIDEOINFOHEADER* videoHeader_ = nullptr;
    GUID subtype_{};
    LONGLONG streamDuration_ = 0;  // 100 ns
    int32_t currentFrame_ = -1;    // last frame delivered in stepping mode
    bool avi_ = false;
    bool graphBuilt_ = false;
    bool countDone_ = false;
    bool propertiesLoaded_ = false;
    MorvalePlatform::EventHandle frameReadyEvent_;  // "CurrentFrameReady"
    MorvalePlatform::EventHandle nextFrameEvent_;   // "GetNextFrame"
};

}  // namespace TravexUtils
