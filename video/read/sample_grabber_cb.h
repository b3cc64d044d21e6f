// SampleGrabberCB: the sample grabber's callback object of the DirectShow
// reader. It sees every decoded frame on the graph's streaming thread: in a
// counting run (SampleCB) it counts frames and collects their durations
// without touching pixels; in a reading run (BufferCB) it copies the wanted
// frames from the grabber's bottom-up blue-green-red bitmap into the output
// slots, either to the last wanted index (random access) or one frame per
// request, handing over to the host thread through the two named events
// (stepping).
//
// Threads: the reader (host thread) sets the fields before a run and reads
// them after the run has completed; in a stepping run it changes requests
// and output only while the streaming thread waits on the next-frame event.
// stopped is the one field both threads touch while a run goes on.
//
// Lifetime: owned by its reader alone. AddRef and Release count nothing, so
// the grabber's reference never decides the object's life; the reader
// releases the grabber before it destroys the callback.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/direct_show.h"
#include "video/read/frame_request.h"

namespace TravexUtils {

class SampleGrabberCB final : public ISampleGrabberCB {
public:
    SampleGrabberCB() = default;
    ~SampleGrabberCB() = default;
    SampleGrabberCB(const SampleGrabberCB&) = delete;
    SampleGrabberCB& operator=(const SampleGrabberCB&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // Counting: appends the duration of the previous timed sample (-1 for a
    // sample without a time) and counts the sample.
    HRESULT STDMETHODCALLTYPE SampleCB(double sampleTime, IMediaSample* sample) override;
    // A counting run: forgets what an earlier (failed) count collected, and
    // at the end appends the last timed sample's duration, up to the stream
    // duration (100 ns), and hands over the durations. The durations are one
    // per counted sample whatever the samples' times: a timed sample that
    // has no timed sample before it adds nothing (the samples before it
    // have their -1 already), and a run without any timed sample adds no
    // last duration.
    void beginCounting();
    std::vector<double> finishCounting(REFERENCE_TIME streamDuration);
    // Reading: copies the frame into the slots that want it, counts it, and
    // then stops after the last index or hands over to the host thread.
    HRESULT STDMETHODCALLTYPE BufferCB(double sampleTime, BYTE* buffer, LONG bufferLength) override;

    int32_t sampleCounter = 0;  // samples seen in the current run
    int32_t lastIndex = std::numeric_limits<int32_t>::max();  // random access: highest wanted index
    uint32_t width = 0;
    uint32_t height = 0;
    bool stepping = false;
    std::atomic<bool> stopped{false};  // ignore every further sample
    HANDLE nextFrameEvent = nullptr;   // the reader's handles; the reader closes them
    HANDLE frameReadyEvent = nullptr;
    REFERENCE_TIME previousStart = 0;  // of the last sample with a valid time, 100 ns
    REFERENCE_TIME previousStop = 0;
    bool timedSampleSeen = false;  // in this counting run; previousStart is its start
    REFERENCE_TIME currentStart = 0;  // of the sample being handled
    REFERENCE_TIME currentStop = 0;
    std::vector<double> frameDurations;  // seconds, collected while counting
    FrameRequest requests;
    uint8_t* output = nullptr;  // the output slots (FrameLayout)

private:
    void copyFrame(const FrameRequest::Slots& slots, const BYTE* buffer, LONG bufferLength) const;
};

}  // namespace TravexUtils
