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
//
// Nothing costs anything until a test uses the control: while nothing is
// armed, an instrumented call is one relaxed atomic load. Calls are counted
// from the first reset(), failCall() or setQuirks() of the process on.
//
// One definition: the control is the C functions below, exported from the
// shared library for tests that load it with dlopen (a copy linked into a
// test binary has its own state, so such tests must reach the library's
// through these); the C++ names are inline wrappers over them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/windows_base.h"

// Decoder behaviour to reproduce. Quirks apply to source readers created
// after they are set. Frame indices count the video frames a stream
// delivers, from 0, starting again after every SetCurrentPosition.
struct MorvalePlatformTestQuirks {
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

#define MORVALE_TEST_CONTROL_API __attribute__((visibility("default")))

extern "C" {

// Makes the occurrence-th use of the named call (UTF-8) from now on (1 = the
// next one) return result instead of doing its work; it fails once. Arming
// the same name again replaces the earlier arming. result must be a failure.
MORVALE_TEST_CONTROL_API void MorvalePlatformTest_failCall(const char* name, HRESULT result, int occurrence);

// Uses of the named call since the last reset (failed uses included).
MORVALE_TEST_CONTROL_API long MorvalePlatformTest_callCount(const char* name);

// Clears armed failures, call counts, the frame counters and the quirks,
// and starts the retained-packet peak again from the current count. Live
// objects and the start/stop counters are not touched. Calls are counted
// from now on.
MORVALE_TEST_CONTROL_API void MorvalePlatformTest_reset();

// COM objects of the Linux implementation alive now (media types,
// attributes, samples, buffers, source readers, sink writers, filter graphs,
// filters, pin enumerators, media samples; pins count as part of their
// filter).
MORVALE_TEST_CONTROL_API long MorvalePlatformTest_liveObjects();

// Video frames delivered by FFmpeg decoders, and frames converted to RGB,
// since the last reset.
MORVALE_TEST_CONTROL_API long MorvalePlatformTest_decodedFrames();
MORVALE_TEST_CONTROL_API long MorvalePlatformTest_rgbConversions();

// Compressed video packets that source readers, and samples still waiting
// for their frame, hold on to now (so that a frame can be decoded when its
// buffer is asked for), and the largest such count since the last reset.
MORVALE_TEST_CONTROL_API long MorvalePlatformTest_retainedPackets();
MORVALE_TEST_CONTROL_API long MorvalePlatformTest_peakRetainedPackets();

// Balance of MFStartup/MFShutdown (process) and CoInitializeEx/CoUninitialize
// (calling thread).
MORVALE_TEST_CONTROL_API long MorvalePlatformTest_mfStartupCount();
MORVALE_TEST_CONTROL_API long MorvalePlatformTest_comInitCount();

// DirectShow streaming threads running now (a graph's run that has not
// ended or not been joined).
MORVALE_TEST_CONTROL_API long MorvalePlatformTest_liveStreamingThreads();

// Threads each decoder opened from now on decodes with; 0, the default, is
// one per core. Fuzzing sets 1: a decoder's frame threads cost more to start
// and stop than a tiny file costs to decode. Process-wide; reset() leaves it
// as it is.
MORVALE_TEST_CONTROL_API void MorvalePlatformTest_setDecoderThreads(int threads);
MORVALE_TEST_CONTROL_API int MorvalePlatformTest_decoderThreads();

// Codecs, by FFmpeg's encoder or decoder name ("libx265", "hevc"): a codec
// made missing (missing != 0) is neither found by the sink writer nor
// reported by MFTEnumEx, as on a machine without it; reset() brings every
// codec back.
MORVALE_TEST_CONTROL_API void MorvalePlatformTest_setCodecMissing(const char* name, int missing);

// Every quirk at once (a copy is taken).
MORVALE_TEST_CONTROL_API void MorvalePlatformTest_setQuirks(const MorvalePlatformTestQuirks* quirks);

}  // extern "C"

namespace MorvalePlatform::TestControl {

using Quirks = MorvalePlatformTestQuirks;

inline void failCall(const std::string& name, HRESULT result, int occurrence = 1) {
    MorvalePlatformTest_failCall(name.c_str(), result, occurrence);
}
inline long callCount(const std::string& name) { return MorvalePlatformTest_callCount(name.c_str()); }
inline void reset() { MorvalePlatformTest_reset(); }
inline long liveObjects() { return MorvalePlatformTest_liveObjects(); }
inline long decodedFrames() { return MorvalePlatformTest_decodedFrames(); }
inline long rgbConversions() { return MorvalePlatformTest_rgbConversions(); }
inline long retainedPackets() { return MorvalePlatformTest_retainedPackets(); }
inline long peakRetainedPackets() { return MorvalePlatformTest_peakRetainedPackets(); }
inline long mfStartupCount() { return MorvalePlatformTest_mfStartupCount(); }
inline long comInitCount() { return MorvalePlatformTest_comInitCount(); }
inline void setQuirks(const Quirks& quirks) { MorvalePlatformTest_setQuirks(&quirks); }
inline long liveStreamingThreads() { return MorvalePlatformTest_liveStreamingThreads(); }
inline void setDecoderThreads(int threads) { MorvalePlatformTest_setDecoderThreads(threads); }
inline int decoderThreads() { return MorvalePlatformTest_decoderThreads(); }
inline void setCodecMissing(const std::string& name, bool missing) {
    MorvalePlatformTest_setCodecMissing(name.c_str(), missing ? 1 : 0);
}

}  // namespace MorvalePlatform::TestControl
