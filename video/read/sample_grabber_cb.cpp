#include "video/read/sample_grabber_cb.h"

#include <utility>

#include "video/read/frame_layout.h"

namespace TravexUtils {

namespace {

constexpr double kHundredNanosecondsPerSecond = 1e7;

}  // namespace

HRESULT SampleGrabberCB::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (riid == IID_ISampleGrabberCB || riid == IID_IUnknown) {
        *object = static_cast<ISampleGrabberCB*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT SampleGrabberCB::SampleCB(double, IMediaSample* sample) {
    const HRESULT timed = sample != nullptr ? sample->GetTime(&currentStart, &currentStop) : E_POINTER;
    if (timed != S_OK) {
        frameDurations.push_back(-1.0);
    } else {
        if (timedSampleSeen) {
            frameDurations.push_back(static_cast<double>(currentStart - previousStart) / kHundredNanosecondsPerSecond);
        }
        previousStart = currentStart;
        previousStop = currentStop;
        timedSampleSeen = true;
    }
    ++sampleCounter;
    return S_OK;
}

void SampleGrabberCB::beginCounting() {
    sampleCounter = 0;
    frameDurations.clear();
    timedSampleSeen = false;
}

std::vector<double> SampleGrabberCB::finishCounting(REFERENCE_TIME streamDuration) {
    if (timedSampleSeen) {
        frameDurations.push_back(static_cast<double>(streamDuration - previousStart) / kHundredNanosecondsPerSecond);
    }
    return std::exchange(frameDurations, {});
}

void SampleGrabberCB::copyFrame(const FrameRequest::Slots& slots, const BYTE* buffer, LONG bufferLength) const {
    // Source rows are padded to a multiple of 4 bytes, the last row first;
    // the padding is never copied. A frame shorter than the record's size
    // (which the platform never delivers) is left out rather than read past.
    const std::size_t stride = (std::size_t{width} * 3 + 3) / 4 * 4;
    if (output == nullptr || buffer == nullptr || height == 0 || bufferLength < 0 ||
        static_cast<std::size_t>(bufferLength) < stride * height) {
        return;
    }
    const BYTE* lastRow = buffer + stride * (height - 1);
    for (int64_t slot : slots) {
        copyBgrRowsToRgb(lastRow, -static_cast<std::ptrdiff_t>(stride), output + FrameLayout::slotOffset(slot, width, height),
                         FrameLayout::rowBytes(width), width, height);
    }
}

HRESULT SampleGrabberCB::BufferCB(double, BYTE* buffer, LONG bufferLength) {
    if (stopped.load()) {
        return S_OK;
    }
    if (const FrameRequest::Slots* slots = requests.find(sampleCounter)) {
        copyFrame(*slots, buffer, bufferLength);
    }
    ++sampleCounter;
    if (!stepping) {
        if (sampleCounter > lastIndex) {
            stopped.store(true);
        }
        return S_OK;
    }
    SetEvent(frameReadyEvent);
    WaitForSingleObject(nextFrameEvent, INFINITE);
    ResetEvent(nextFrameEvent);
    return S_OK;
}

}  // namespace TravexUtils
