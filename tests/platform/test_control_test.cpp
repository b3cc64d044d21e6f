// Failure injection, call counting, live objects and the start/stop
// balances, as the library's failure-path tests will use them.
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

struct InjectedStep {
    const char* name;
    int occurrence;
};

// Every step a reader makes to open a file and read one RGB32 frame; each
// armed failure must surface as the result of exactly that step.
const InjectedStep kSteps[] = {
    {"", 0},  // nothing armed: every step succeeds
    {"MFStartup", 1},
    {"MFCreateAttributes", 1},
    {"IMFAttributes::SetUINT32", 1},
    {"MFCreateSourceReaderFromURL", 1},
    {"IMFSourceReader::GetCurrentMediaType", 1},
    {"MFCreateMediaType", 1},
    {"IMFAttributes::SetGUID", 2},
    {"IMFSourceReader::SetCurrentMediaType", 1},
    {"IMFAttributes::GetUINT64", 1},
    {"IMFSourceReader::SetCurrentPosition", 1},
    {"IMFSourceReader::ReadSample", 1},
    {"IMFSample::GetSampleDuration", 1},
    {"IMFSample::ConvertToContiguousBuffer", 1},
    {"IMFMediaBuffer::Lock", 1},
    {"IMFMediaBuffer::Unlock", 1},
    {"IMFSourceReader::GetPresentationAttribute", 1},
};

// Runs the steps in order and returns the name of the first that failed
// with the injected result ("" when none did).
std::string firstFailingStep(const std::string& path, HRESULT injected) {
    std::string failed;
    auto check = [&](const char* step, HRESULT hr) {
        if (failed.empty() && hr == injected) failed = step;
        return failed.empty();
    };
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const bool started = check("MFStartup", MFStartup(MF_VERSION));
    ComPtr<IMFAttributes> attributes;
    ComPtr<IMFSourceReader> reader;
    ComPtr<IMFMediaType> compressed;
    ComPtr<IMFMediaType> type;
    ComPtr<IMFSample> sample;
    ComPtr<IMFMediaBuffer> buffer;
    const auto wide = MorvalePlatform::utf8ToWide(path);
    UINT64 size = 0;
    LONGLONG duration = 0;
    BYTE* data = nullptr;
    DWORD flags = 0;
    PROPVARIANT variant;
    PropVariantInit(&variant);
    variant.vt = VT_I8;
    (void)(started && check("MFCreateAttributes", MFCreateAttributes(&attributes, 1)) &&
           check("IMFAttributes::SetUINT32", attributes->SetUINT32(MF_SOURCE_READER_ENABLE_VIDEO_PROCESSING, 1)) &&
           check("MFCreateSourceReaderFromURL", MFCreateSourceReaderFromURL(wide->c_str(), attributes.get(), &reader)) &&
           check("IMFSourceReader::GetCurrentMediaType",
                 reader->GetCurrentMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, &compressed)) &&
           check("MFCreateMediaType", MFCreateMediaType(&type)) &&
           check("IMFAttributes::SetGUID", type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video)) &&
           check("IMFAttributes::SetGUID", type->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_RGB32)) &&
           check("IMFSourceReader::SetCurrentMediaType",
                 reader->SetCurrentMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, nullptr, type.get())) &&
           check("IMFAttributes::GetUINT64", compressed->GetUINT64(MF_MT_FRAME_SIZE, &size)) &&
           check("IMFSourceReader::SetCurrentPosition", reader->SetCurrentPosition(GUID_NULL, variant)) &&
           check("IMFSourceReader::ReadSample",
                 reader->ReadSample(MF_SOURCE_READER_FIRST_VIDEO_STREAM, 0, nullptr, &flags, nullptr, &sample)) &&
           check("IMFSample::GetSampleDuration", sample->GetSampleDuration(&duration)) &&
           check("IMFSample::ConvertToContiguousBuffer", sample->ConvertToContiguousBuffer(&buffer)) &&
           check("IMFMediaBuffer::Lock", buffer->Lock(&data, nullptr, nullptr)) &&
           check("IMFMediaBuffer::Unlock", buffer->Unlock()) &&
           check("IMFSourceReader::GetPresentationAttribute",
                 reader->GetPresentationAttribute(MF_SOURCE_READER_MEDIASOURCE, MF_PD_DURATION, &variant)));
    PropVariantClear(&variant);
    if (started) MFShutdown();
    CoUninitialize();
    return failed;
}

class InjectedFailures : public ::testing::TestWithParam<InjectedStep> {};

TEST_P(InjectedFailures, SurfaceAtTheArmedStepAndLeakNothing) {
    const std::string path = fixturePath(Fixture::H264Small);
    TestControl::reset();
    const HRESULT injected = static_cast<HRESULT>(0x8004DEAD);
    if (*GetParam().name) TestControl::failCall(GetParam().name, injected, GetParam().occurrence);
    EXPECT_EQ(firstFailingStep(path, injected), GetParam().name);
    EXPECT_EQ(TestControl::liveObjects(), 0);
    EXPECT_EQ(TestControl::mfStartupCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Steps, InjectedFailures, ::testing::ValuesIn(kSteps), [](const auto& instance) {
    std::string name = std::string(*instance.param.name ? instance.param.name : "Nothing") + "_" +
                       std::to_string(instance.param.occurrence);
    for (char& c : name) {
        if (c == ':') c = '_';
    }
    return name;
});

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
