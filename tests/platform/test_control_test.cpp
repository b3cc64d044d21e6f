// Failure injection, call counting, live objects and the start/stop
// balances, as the library's failure-path tests use them. That an armed
// failure surfaces at exactly its step is shown by the readers' failure
// tables (tests/video_read/*_failures_test.cpp).
#include <gtest/gtest.h>

#include <thread>

#include "media_probes.h"
#include "platform/linux/test_control.h"
#include "platform/utf.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

namespace TestControl = MorvalePlatform::TestControl;

class TestControlTest : public ::testing::Test {
protected:
    void SetUp() override { TestControl::reset(); }
    void TearDown() override { TestControl::reset(); }
};

TEST_F(TestControlTest, ArmedCallFailsOnItsUseOnlyOnce) {
    ReaderSession session;
    auto reader = session.openRgb32(fixturePath(Fixture::H264Small));
    ASSERT_TRUE(reader);
    const long before = TestControl::callCount("IMFSourceReader::ReadSample");
    TestControl::failCall("IMFSourceReader::ReadSample", E_OUTOFMEMORY, 3);
    EXPECT_EQ(readVideoSample(reader.get()).hr, S_OK);
    EXPECT_EQ(readVideoSample(reader.get()).hr, S_OK);
    ReadResult failed = readVideoSample(reader.get());
    EXPECT_EQ(failed.hr, E_OUTOFMEMORY);
    EXPECT_FALSE(failed.sample);
    EXPECT_EQ(readVideoSample(reader.get()).hr, S_OK);
    EXPECT_EQ(TestControl::callCount("IMFSourceReader::ReadSample"), before + 4);
}

// Like every case, this one runs in a process of its own: nothing has used
// the control before it. Until something does, the platform neither counts
// nor fails calls (the unarmed hooks only read a flag).
TEST(TestControlUnused, CountsNothingUntilFirstUsed) {
    ComPtr<IMFMediaType> first, second, third;
    ASSERT_EQ(MFCreateMediaType(&first), S_OK);
    EXPECT_EQ(TestControl::callCount("MFCreateMediaType"), 0) << "not counted before the control was used";
    ASSERT_EQ(MFCreateMediaType(&second), S_OK);
    EXPECT_EQ(TestControl::callCount("MFCreateMediaType"), 1) << "asking for a count starts counting";
    TestControl::failCall("MFCreateMediaType", E_OUTOFMEMORY);
    EXPECT_EQ(MFCreateMediaType(&third), E_OUTOFMEMORY);
}

TEST_F(TestControlTest, ResetDisarmsAndClearsCounts) {
    TestControl::failCall("MFCreateMediaType", E_FAIL);
    TestControl::reset();
    ComPtr<IMFMediaType> type;
    EXPECT_EQ(MFCreateMediaType(&type), S_OK);
    EXPECT_EQ(TestControl::callCount("MFCreateMediaType"), 1);
    TestControl::reset();
    EXPECT_EQ(TestControl::callCount("MFCreateMediaType"), 0);
}

TEST_F(TestControlTest, LiveObjectsCountEveryReferenceUntilTheLastRelease) {
    EXPECT_EQ(TestControl::liveObjects(), 0);
    {
        ReaderSession session;
        auto reader = session.openRgb32(fixturePath(Fixture::RgbAvi));
        ASSERT_TRUE(reader);
        ComPtr<IMFSample> sample = readVideoSample(reader.get()).sample;
        ComPtr<IMFMediaBuffer> buffer;
        ASSERT_EQ(sample->ConvertToContiguousBuffer(&buffer), S_OK);
        EXPECT_GE(TestControl::liveObjects(), 3);
        IMFSample* raw = sample.get();
        EXPECT_EQ(raw->AddRef(), 2u);
        EXPECT_EQ(raw->Release(), 1u);
        ComPtr<IUnknown> unknown;
        EXPECT_EQ(raw->QueryInterface(IID_IUnknown, unknown.putVoid()), S_OK);
        ComPtr<IMFSourceReader> notAReader;
        EXPECT_EQ(raw->QueryInterface(IID_IMFSourceReader, notAReader.putVoid()), E_NOINTERFACE);
    }
    EXPECT_EQ(TestControl::liveObjects(), 0);
}

TEST_F(TestControlTest, SourceReaderNeedsAStartedPlatform) {
    ComPtr<IMFSourceReader> reader;
    const auto wide = MorvalePlatform::utf8ToWide(fixturePath(Fixture::RgbAvi));
    EXPECT_EQ(MFCreateSourceReaderFromURL(wide->c_str(), nullptr, &reader), MF_E_PLATFORM_NOT_INITIALIZED);
    ASSERT_EQ(MFStartup(MF_VERSION), S_OK);
    ASSERT_EQ(MFStartup(MF_VERSION), S_OK);
    EXPECT_EQ(TestControl::mfStartupCount(), 2);
    EXPECT_EQ(MFShutdown(), S_OK);
    EXPECT_EQ(MFCreateSourceReaderFromURL(wide->c_str(), nullptr, &reader), S_OK);
    reader.reset();
    EXPECT_EQ(MFShutdown(), S_OK);
    EXPECT_EQ(TestControl::mfStartupCount(), 0);
    EXPECT_EQ(MFStartup(0x12345), MF_E_BAD_STARTUP_VERSION);
}

TEST_F(TestControlTest, ComInitialisationIsCountedPerThread) {
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
    EXPECT_EQ(TestControl::comInitCount(), 2);
    std::thread([] {
        EXPECT_EQ(TestControl::comInitCount(), 0);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        CoUninitialize();
    }).join();
    CoUninitialize();
    CoUninitialize();
    CoUninitialize();  // one too many: ignored
    EXPECT_EQ(TestControl::comInitCount(), 0);
}

}  // namespace
}  // namespace PlatformTest
