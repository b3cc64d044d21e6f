// Test-only control of the Linux platform implementation. Product code never
// includes this header; tests use it to drive the library's failure paths,
// to prove every COM reference is released, to prove skipped frames cost no
// colour conversion, and to reproduce decoder behaviour seen on Windows.
//
// Call names. A free function is named as itself ("MFStartup",
// "MFCreateSourceReaderFromURL", "CoInitializeEx", "PropVariantClear"). A
// method is named "Interface::Method" after the interface that declares it,
// whatever object it is called on: "IMFAttributes::SetGUID" covers media
// types, samples and attribute stores alike; "IMFSourceReader::ReadSample",
// "IMFSample::ConvertToContiguousBuffer", "IMFMediaBuffer::Lock". IUnknown
// methods are not instrumented. Calls the implementation makes on its own
// objects are not counted.
//
// Process-wide and thread-safe. Each gtest case runs in its own process, but
// call reset() in a fixture anyway when a test arms several things.
#pragma once

#include <cstdint>
#include <string>

#include "platform/windows_base.h"

namespace MorvalePlatform::TestControl {

// Makes the occurrence-th use of the named call from now on (1 = the next
// one) return result instead of doing its work; it fails once. Arming the
// same name again replaces the earlier arming. result must be a failure.
void failCall(const std::string& name, HRESULT result, int occurrence = 1);

// Uses of the named call since the last reset (failed uses included).
long callCount(const std::string& name);

// Clears armed failures, call counts, the frame counters and the quirks,
// and starts the retained-packet peak again from the current count. Live
// objects, the start/stop counters and the decoder threads are not touched.
void reset();

// COM objects of the Linux implementation alive now (media types,
// attributes, samples, buffers, source readers, filter graphs, filters,
// pin enumerators, media samples; pins count as part of their filter).
long liveObjects();

// Video frames delivered by FFmpeg decoders, and frames converted to RGB,
// since the last reset.
long decodedFrames();
long rgbConversions();

// Compressed video packets that source readers, and samples still waiting
// for their frame, hold on to now (so that a frame can be decoded when its
// buffer is asked for), and the largest such count since the last reset.
long retainedPackets();
long peakRetainedPackets();

// DirectShow streaming threads running now (a graph's run that has not
// ended or not been joined).
long liveStreamingThreads();

// Balance of MFStartup/MFShutdown (process) and CoInitializeEx/CoUninitialize
// (calling thread).
long mfStartupCount();
long comInitCount();

// Decoder behaviour to reproduce. Quirks apply to source readers created
// after they are set. Frame indices count the video frames a stream
// delivers, from 0, starting again after every SetCurrentPosition.
struct Quirks {
    // Decoded pictures whose height is not a multiple of 16 come in buffers
    // padded with black rows to the next multiple (1080 -> 1088), as Windows'
    // hardware-friendly decoders do. The RGB32 current type then reports the
    // padded height and a stride of width x 4; the native type keeps 1080.
    bool padHeightToMacroblock = false;

    // From frame sizeChangeFrame on, frames are delivered scaled to
    // sizeChangeWidth x sizeChangeHeight; the first such sample (and the first
    // sample after a return to the original size) carries
    // MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED and the current type reports
    // the new size. -1 disables.
    int64_t sizeChangeFrame = -1;
    uint32_t sizeChangeWidth = 0;
    uint32_t sizeChangeHeight = 0;

    // Frame untimedFrame carries no time: IMFSample::GetSampleTime returns
    // MF_E_NO_SAMPLE_TIMESTAMP and ReadSample reports a timestamp of 0.
    // -1 disables.
    int64_t untimedFrame = -1;

    // The presentation duration the media source reports, in 100 ns, in
    // place of the container's (a live or damaged file that states 0). -1
    // disables.
    int64_t reportedDuration = -1;
};

void setQuirks(const Quirks& quirks);

// Threads each decoder opened from now on decodes with; 0, the
// default, is one per core. Fuzzing sets 1: a decoder's frame threads cost
// more to start and stop than a tiny file costs to decode. Process-wide;
// reset() leaves it as it is.
void setDecoderThreads(int threads);
int decoderThreads();

}  // namespace MorvalePlatform::TestControl

// The same control with C names, exported from the shared library, for tests
// that load it with dlopen (a copy linked into a test binary has its own
// state, so such tests must reach the library's through these). Names are
// UTF-8; results as above.
extern "C" {
__attribute__((visibility("default"))) void MorvalePlatformTest_failCall(const char* name, HRESULT result,
                                                                         int occurrence);
__attribute__((visibility("default"))) long MorvalePlatformTest_callCount(const char* name);
__attribute__((visibility("default"))) void MorvalePlatformTest_reset();
__attribute__((visibility("default"))) long MorvalePlatformTest_liveObjects();
__attribute__((visibility("default"))) long MorvalePlatformTest_decodedFrames();
__attribute__((visibility("default"))) long MorvalePlatformTest_rgbConversions();
__attribute__((visibility("default"))) long MorvalePlatformTest_retainedPackets();
__attribute__((visibility("default"))) long MorvalePlatformTest_peakRetainedPackets();
__attribute__((visibility("default"))) long MorvalePlatformTest_liveStreamingThreads();
__attribute__((visibility("default"))) long MorvalePlatformTest_mfStartupCount();
__attribute__((visibility("default"))) long MorvalePlatformTest_comInitCount();
// Quirks field by field; -1 disables the frame-indexed ones.
__attribute__((visibility("default"))) void MorvalePlatformTest_setQuirks(int padHeightToMacroblock,
                                                                          int64_t sizeChangeFrame,
                                                                          uint32_t sizeChangeWidth,
                                                                          uint32_t sizeChangeHeight,
                                                                          int64_t untimedFrame);
__attribute__((visibility("default"))) void MorvalePlatformTest_setDecoderThreads(int threads);
}

// Codecs, by FFmpeg's encoder or decoder name ("libx265", "hevc"): a codec
// made missing is neither found by the sink writer nor reported by
// MFTEnumEx, as on a machine without it. reset() leaves this as it is;
// setCodecMissing(name, false) brings the codec back.
namespace MorvalePlatform::TestControl {
void setCodecMissing(const std::string& name, bool missing);
}  // namespace MorvalePlatform::TestControl
extern "C" __attribute__((visibility("default"))) void MorvalePlatformTest_setCodecMissing(const char* name,
                                                                                          int missing);
