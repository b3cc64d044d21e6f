// The start/stop balances of Media Foundation and COM. That an armed failure surfaces at exactly its step and
// occurrence is shown by the failure tables (sink_writer_failures_test.cpp,
// tests/video_read/*_failures_test.cpp); that live objects are counted, by
// the attribute store's test (attributes_test.cpp).
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
