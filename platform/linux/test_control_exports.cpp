// The C names of test control; see test_control.h.
#include "platform/linux/test_control.h"

namespace TestControl = MorvalePlatform::TestControl;

extern "C" {

void MorvalePlatformTest_failCall(const char* name, HRESULT result, int occurrence) {
    TestControl::failCall(name, result, occurrence);
}
long MorvalePlatformTest_callCount(const char* name) { return TestControl::callCount(name); }
void MorvalePlatformTest_reset() { TestControl::reset(); }
long MorvalePlatformTest_liveObjects() { return TestControl::liveObjects(); }
long MorvalePlatformTest_decodedFrames() { return TestControl::decodedFrames(); }
long MorvalePlatformTest_rgbConversions() { return TestControl::rgbConversions(); }
long MorvalePlatformTest_retainedPackets() { return TestControl::retainedPackets(); }
long MorvalePlatformTest_peakRetainedPackets() { return TestControl::peakRetainedPackets(); }
long MorvalePlatformTest_liveStreamingThreads() { return TestControl::liveStreamingThreads(); }
long MorvalePlatformTest_mfStartupCount() { return TestControl::mfStartupCount(); }
long MorvalePlatformTest_comInitCount() { return TestControl::comInitCount(); }

void MorvalePlatformTest_setQuirks(int padHeightToMacroblock, int64_t sizeChangeFrame, uint32_t sizeChangeWidth,
                                   uint32_t sizeChangeHeight, int64_t untimedFrame) {
    TestControl::Quirks quirks;
    quirks.padHeightToMacroblock = padHeightToMacroblock != 0;
    quirks.sizeChangeFrame = sizeChangeFrame;
    quirks.sizeChangeWidth = sizeChangeWidth;
    quirks.sizeChangeHeight = sizeChangeHeight;
    quirks.untimedFrame = untimedFrame;
    TestControl::setQuirks(quirks);
}

void MorvalePlatformTest_setDecoderThreads(int threads) { TestControl::setDecoderThreads(threads); }

}  // extern "C"
