// The DirectShow filter graph over FFmpeg, driven the way the library's
// DirectShow reader drives it: media types and durations through the AVI
// splitter and without it, frames through both grabber callbacks on the
// streaming thread, a rewind, the reader's stepping handshake, and files
// that cannot be read. Every test ends with no live object and no thread.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "ds_graph_session.h"
#include "tests/support/media_fixtures.h"
#include "platform/linux/test_control.h"
#include "tests/support/real_world_media.h"
#include "tests/support/reference_media.h"
#include "tests/support/sized_clips.h"

namespace PlatformTest {
namespace {

namespace TestControl = MorvalePlatform::TestControl;

class DsGraph : public ::testing::Test {
protected:
    void SetUp() override {
        TestControl::reset();
        liveAtStart_ = TestControl::liveObjects();
    }
    void TearDown() override {
        EXPECT_EQ(TestControl::liveObjects(), liveAtStart_);
        EXPECT_EQ(TestControl::liveStreamingThreads(), 0);
    }

private:
    long liveAtStart_ = 0;
};

// A grabber callback that keeps what it is given. AddRef and Release count
// nothing: the test owns it, as the reader owns its callback.
class RecordingCallback final : public ISampleGrabberCB {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = riid == IID_IUnknown || riid == IID_ISampleGrabberCB ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample* sample) override {
        REFERENCE_TIME start = 0;
        REFERENCE_TIME stop = 0;
        std::lock_guard lock(mutex);
        timeResults.push_back(sample->GetTime(&start, &stop));
        starts.push_back(start);
        lengths.push_back(sample->GetActualDataLength());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BufferCB(double time, BYTE* buffer, LONG length) override {
        std::lock_guard lock(mutex);
        seconds.push_back(time);
        frames.emplace_back(buffer, buffer + length);
        return S_OK;
    }

    std::mutex mutex;
    std::vector<HRESULT> timeResults;
    std::vector<REFERENCE_TIME> starts;
    std::vector<LONG> lengths;
    std::vector<double> seconds;
    std::vector<std::vector<BYTE>> frames;
};

LONG runToEnd(GraphSession& session) {
    LONG code = 0;
    EXPECT_EQ(session.control->Run(), S_OK);
    EXPECT_EQ(session.event->WaitForCompletion(static_cast<LONG>(INFINITE), &code), S_OK);
    return code;
}

// Frames the ffmpeg tool decodes, as the grabber's bitmaps: rows bottom up,
// each padded with zeros to a multiple of 4 bytes (compared too: odd widths
// carry padding bytes that must stay zero).
std::vector<std::vector<BYTE>> referenceBitmaps(const std::string& path, int width, int height) {
    const std::vector<uint8_t> packed = morvale_test::decodedFrames(path, "bgr24");
    const size_t row = static_cast<size_t>(width) * 3;
    const size_t stride = (row + 3) / 4 * 4;
    const size_t frameBytes = row * static_cast<size_t>(height);
    std::vector<std::vector<BYTE>> bitmaps;
    for (size_t offset = 0; offset + frameBytes <= packed.size(); offset += frameBytes) {
        std::vector<BYTE> bitmap(stride * static_cast<size_t>(height), 0);
        for (int r = 0; r < height; ++r) {
            std::memcpy(&bitmap[(static_cast<size_t>(height) - 1 - r) * stride], &packed[offset + r * row], row);
        }
        bitmaps.push_back(std::move(bitmap));
    }
    return bitmaps;
}

int largestDifference(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
    if (a.size() != b.size()) return 256;
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
    return largest;
}

// Media types and durations.

struct TypeCase {
    const char* name;
    std::string (*path)();
    bool splitter;
    const char* fourCC;
    LONG width;
    LONG height;
    double framesPerSecond;
    double seconds;
};

std::string xvidAvi() { return morvale_test::sizedClip({"mpeg4", "avi", 176, 144, "yuv420p", "-vtag XVID", 10}); }
std::string h264Avi() { return morvale_test::sizedClip({"libx264", "avi", 160, 90, "yuv420p", "", 10}); }
std::string mjpegAvi() { return morvale_test::fixturePath(morvale_test::Fixture::MjpegAvi); }
std::string h264Mp4() { return morvale_test::fixturePath(morvale_test::Fixture::H264Small); }
std::string h264Mkv() { return morvale_test::sizedClip({"libx264", "mkv", 96, 64, "yuv420p", "", 10}); }

class DsGraphTypes : public DsGraph, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(DsGraphTypes, ReportTheCompressedStreamAndItsDuration) {
    const TypeCase& c = GetParam();
    GraphSession session = GraphSession::build(c.path(), c.splitter);
    ASSERT_TRUE(session.built()) << session.failedStep;
    MorvalePlatform::MediaTypeGuard type;
    ASSERT_EQ(session.videoPin->ConnectionMediaType(type.get()), S_OK);
    EXPECT_EQ(type->majortype, MEDIATYPE_Video);
    EXPECT_EQ(fourCCText(type->subtype), c.fourCC);
    EXPECT_EQ(type->formattype, FORMAT_VideoInfo);
    ASSERT_GE(type->cbFormat, sizeof(VIDEOINFOHEADER));
    const auto& header = *reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat);
    EXPECT_EQ(header.rcSource.right, c.width);
    EXPECT_EQ(header.rcSource.bottom, c.height);
    EXPECT_EQ(header.bmiHeader.biWidth, c.width);
    EXPECT_EQ(header.bmiHeader.biHeight, c.height);
    EXPECT_EQ(header.bmiHeader.biCompression, type->subtype.Data1);
    EXPECT_NEAR(1e7 / static_cast<double>(header.AvgTimePerFrame), c.framesPerSecond, 0.01);
    LONGLONG duration = 0;
    ASSERT_EQ(session.seeking->GetDuration(&duration), S_OK);
    EXPECT_NEAR(static_cast<double>(duration) / 1e7, c.seconds, 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    Containers, DsGraphTypes,
    ::testing::Values(TypeCase{"XvidAvi", xvidAvi, true, "XVID", 176, 144, 25, 0.4},
                      TypeCase{"H264Avi", h264Avi, true, "H264", 160, 90, 25, 0.4},
                      TypeCase{"MjpegAvi", mjpegAvi, true, "MJPG", 320, 240, 25, 1.0},
                      TypeCase{"H264Mp4", h264Mp4, false, "AVC1", 320, 240, 25, 2.0},
                      TypeCase{"H264Mkv", h264Mkv, false, "H264", 96, 64, 25, 0.4}),
    [](const auto& test) { return std::string(test.param.name); });

// Frames.

TEST_F(DsGraph, SampleCallbackCountsFramesWithoutConvertingThem) {
    RecordingCallback callback;
    GraphSession session = GraphSession::build(morvale_test::fixturePath(morvale_test::Fixture::H264FiveFrames), false);
    ASSERT_TRUE(session.built()) << session.failedStep;
    ASSERT_EQ(session.grabber->SetCallback(&callback, 0), S_OK);
    EXPECT_EQ(runToEnd(session), EC_COMPLETE);
    ASSERT_EQ(callback.starts.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(callback.timeResults[i], S_OK);
        EXPECT_EQ(callback.starts[i], static_cast<REFERENCE_TIME>(i) * 400000) << i;  // 25 fps
        EXPECT_EQ(callback.lengths[i], 160 * 3 * 120);
    }
    EXPECT_EQ(TestControl::rgbConversions(), 0);
    EXPECT_EQ(session.control->Stop(), S_OK);
}

struct PixelCase {
    const char* name;
    std::string (*path)();
    bool splitter;
    int width;
    int height;
    int tolerance;  // none for RGB sources
};

std::string rgbWidth5() { return morvale_test::sizedClip({"rawvideo", "avi", 5, 4, "bgr24", "", 3}); }
std::string rgb33x17() { return morvale_test::fixturePath(morvale_test::Fixture::RgbOddAvi); }
std::string ffv1Odd() { return morvale_test::sizedClip({"ffv1", "mkv", 7, 5, "bgr0", "", 3}); }

class DsGraphPixels : public DsGraph, public ::testing::WithParamInterface<PixelCase> {};

TEST_P(DsGraphPixels, BufferCallbackBitmapsMatchTheFfmpegTool) {
    const PixelCase& c = GetParam();
    const std::string path = c.path();
    RecordingCallback callback;
    GraphSession session = GraphSession::build(path, c.splitter);
    ASSERT_TRUE(session.built()) << session.failedStep;
    ASSERT_EQ(session.grabber->SetCallback(&callback, 1), S_OK);
    EXPECT_EQ(runToEnd(session), EC_COMPLETE);
    const auto expected = referenceBitmaps(path, c.width, c.height);
    ASSERT_EQ(callback.frames.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_LE(largestDifference(callback.frames[i], expected[i]), c.tolerance) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, DsGraphPixels,
    ::testing::Values(PixelCase{"RgbWidth5", rgbWidth5, true, 5, 4, 0},
                      PixelCase{"Rgb33x17", rgb33x17, true, 33, 17, 0},
                      PixelCase{"Ffv1Rgb7x5", ffv1Odd, false, 7, 5, 0},
                      PixelCase{"MjpegAvi", mjpegAvi, true, 320, 240, 3},
                      PixelCase{"H264Mp4", h264Mp4, false, 320, 240, 3}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(DsGraph, StopRewindAndRunStartsAgainFromTheFirstFrame) {
    // The grabber holds a reference to its callback: callbacks outlive the graph.
    RecordingCallback first;
    RecordingCallback second;
    RecordingCallback third;
    GraphSession session = GraphSession::build(morvale_test::fixturePath(morvale_test::Fixture::H264FiveFrames), false);
    ASSERT_TRUE(session.built()) << session.failedStep;
    ASSERT_EQ(session.grabber->SetCallback(&first, 1), S_OK);
    runToEnd(session);
    ASSERT_EQ(first.frames.size(), 5u);

    ASSERT_EQ(session.control->Stop(), S_OK);
    LONGLONG start = 0;
    ASSERT_EQ(session.seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
              S_OK);
    ASSERT_EQ(session.grabber->SetCallback(&second, 1), S_OK);
    EXPECT_EQ(runToEnd(session), EC_COMPLETE);
    ASSERT_EQ(second.frames.size(), 5u);
    EXPECT_EQ(second.frames[0], first.frames[0]);
    EXPECT_EQ(second.seconds[0], 0.0);

    // Without the rewind a run goes on from the end: nothing more.
    ASSERT_EQ(session.control->Stop(), S_OK);
    ASSERT_EQ(session.grabber->SetCallback(&third, 1), S_OK);
    EXPECT_EQ(runToEnd(session), EC_COMPLETE);
    EXPECT_TRUE(third.frames.empty());
}

// The reader's stepping protocol: the callback hands one frame over, then
// blocks on a named event until the host thread asks for the next one.
class SteppingCallback final : public ISampleGrabberCB {
public:
    SteppingCallback()
        : next_(CreateEventA(nullptr, TRUE, FALSE, "GetNextFrame")),
          ready_(CreateEventA(nullptr, TRUE, FALSE, "CurrentFrameReady")) {}
    ~SteppingCallback() {
        CloseHandle(next_);
        CloseHandle(ready_);
    }
    SteppingCallback(const SteppingCallback&) = delete;
    SteppingCallback& operator=(const SteppingCallback&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE* buffer, LONG length) override {
        if (stopped_.load()) return S_OK;
        last_.assign(buffer, buffer + length);
        ++delivered_;
        SetEvent(ready_);
        WaitForSingleObject(next_, INFINITE);
        ResetEvent(next_);
        return S_OK;
    }

    // Host side: the next frame, as the reader takes it.
    std::vector<BYTE> step() {
        SetEvent(next_);
        WaitForSingleObject(ready_, INFINITE);
        ResetEvent(ready_);
        return last_;
    }
    std::vector<BYTE> first() {
        WaitForSingleObject(ready_, INFINITE);
        ResetEvent(ready_);
        return last_;
    }
    void end() {
        stopped_.store(true);
        SetEvent(next_);
    }
    int delivered() const { return delivered_; }

private:
    HANDLE next_;
    HANDLE ready_;
    std::atomic<bool> stopped_{false};
    std::vector<BYTE> last_;  // written by the streaming thread while the host waits
    int delivered_ = 0;
};

TEST_F(DsGraph, SteppingHandshakeDeliversFrameByFrameAndEndsCleanly) {
    const std::string path = morvale_test::fixturePath(morvale_test::Fixture::H264FiveFrames);
    const auto expected = referenceBitmaps(path, 160, 120);
    {
        SteppingCallback callback;
        GraphSession session = GraphSession::build(path, false);
        ASSERT_TRUE(session.built()) << session.failedStep;
        ASSERT_EQ(session.grabber->SetCallback(&callback, 1), S_OK);
        ASSERT_EQ(session.control->Run(), S_OK);
        EXPECT_LE(largestDifference(callback.first(), expected[0]), 3);
        EXPECT_LE(largestDifference(callback.step(), expected[1]), 3);
        EXPECT_LE(largestDifference(callback.step(), expected[2]), 3);
        EXPECT_EQ(TestControl::liveStreamingThreads(), 1);
        // Ending the run as the reader does before it lets the graph go.
        callback.end();
        LONG code = 0;
        EXPECT_EQ(session.event->WaitForCompletion(static_cast<LONG>(INFINITE), &code), S_OK);
        EXPECT_EQ(code, EC_COMPLETE);
        EXPECT_EQ(callback.delivered(), 3);
    }
    EXPECT_EQ(TestControl::liveStreamingThreads(), 0);
}

TEST_F(DsGraph, ReleasingARunningGraphJoinsItsThread) {
    RecordingCallback callback;
    {
        GraphSession session = GraphSession::build(morvale_test::fixturePath(morvale_test::Fixture::H264Small), false);
        ASSERT_TRUE(session.built()) << session.failedStep;
        ASSERT_EQ(session.grabber->SetCallback(&callback, 1), S_OK);
        ASSERT_EQ(session.control->Run(), S_OK);
    }
    EXPECT_EQ(TestControl::liveStreamingThreads(), 0);
    EXPECT_LE(callback.frames.size(), 50u);
}

TEST_F(DsGraph, WaitingOnAStoppedGraphReturnsAtOnce) {
    GraphSession session = GraphSession::build(morvale_test::fixturePath(morvale_test::Fixture::H264FiveFrames), false);
    ASSERT_TRUE(session.built()) << session.failedStep;
    LONG code = -1;
    EXPECT_EQ(session.event->WaitForCompletion(static_cast<LONG>(INFINITE), &code), VFW_E_WRONG_STATE);
    EXPECT_EQ(code, 0);
}

// Files the graph cannot play.

// Made here with ffmpeg; lavfi inputs are bounded by time (-t), since a
// frame count alone leaves the tool waiting on its endless inputs.
std::string ffmpegFixture(const std::string& name, const std::string& arguments) {
    return morvale_test::madeFixture(name, [&arguments](const std::string& path) {
        const std::string command = "ffmpeg -nostdin -v error -y " + arguments + " '" + path + "'";
        if (std::system(command.c_str()) != 0) throw std::runtime_error("ffmpeg failed for " + path);
    });
}
std::string audioOnly() {
    return ffmpegFixture("ds_audio_only.m4a", "-f lavfi -t 1 -i sine=frequency=440 -c:a aac");
}
std::string audioThenVideo() {
    return ffmpegFixture("ds_audio_then_video.mp4",
                         "-f lavfi -t 1 -i sine=frequency=440 -f lavfi -t 1 -i testsrc2=size=160x120:rate=10 "
                         "-map 0:a -map 1:v -c:a aac -c:v libx264 -pix_fmt yuv420p");
}
std::string missingFile() { return morvale_test::scratchDirectory("ds_missing") + "/none.avi"; }
std::string textFile() { return morvale_test::fixturePath(morvale_test::Fixture::Text); }
std::string emptyFile() { return morvale_test::fixturePath(morvale_test::Fixture::Empty); }

struct FailureCase {
    const char* name;
    std::string (*path)();
    bool splitter;
    HRESULT result;
    const char* step;
};

class DsGraphFailures : public DsGraph, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DsGraphFailures, GiveTheDirectShowResultAndLeaveNothingBehind) {
    const FailureCase& c = GetParam();
    GraphSession session = GraphSession::build(c.path(), c.splitter);
    EXPECT_EQ(session.failure, c.result);
    EXPECT_EQ(session.failedStep, c.step);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DsGraphFailures,
    ::testing::Values(FailureCase{"Missing", missingFile, true, VFW_E_NOT_FOUND, "source"},
                      FailureCase{"Text", textFile, false, VFW_E_UNKNOWN_FILE_TYPE, "source"},
                      FailureCase{"Empty", emptyFile, false, VFW_E_UNKNOWN_FILE_TYPE, "source"},
                      // No pin connects to the grabber, so none has a video header.
                      FailureCase{"AudioOnly", audioOnly, false, E_POINTER, "video header"},
                      // An MP4 named .avi: its streams do not connect to the splitter.
                      FailureCase{"Mp4ThroughSplitter", h264Mp4, true, E_POINTER, "video header"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(DsGraph, AudioPinsDoNotConnectToTheGrabber) {
    GraphSession session = GraphSession::build(audioThenVideo(), false);
    ASSERT_TRUE(session.built()) << session.failedStep;
    // The audio stream comes first; its pin stayed unconnected, and a second
    // grabber does not take it either.
    ComPtr<IPin> audio = firstUnconnectedPin(session.source.get(), PINDIR_OUTPUT);
    ASSERT_TRUE(audio);
    ComPtr<IBaseFilter> grabber;
    ASSERT_EQ(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, grabber.putVoid()),
              S_OK);
    ASSERT_EQ(session.graph->AddFilter(grabber.get(), L"Second Grabber"), S_OK);
    ComPtr<IPin> input = firstUnconnectedPin(grabber.get(), PINDIR_INPUT);
    EXPECT_EQ(session.graph->Connect(audio.get(), input.get()), VFW_E_CANNOT_CONNECT);
    MorvalePlatform::MediaTypeGuard type;
    EXPECT_EQ(audio->ConnectionMediaType(type.get()), VFW_E_NOT_CONNECTED);
    // The video pin is taken already.
    EXPECT_EQ(session.graph->Connect(session.videoPin.get(), input.get()), VFW_E_ALREADY_CONNECTED);
}

TEST_F(DsGraph, ArmedFailuresReachTheCaller) {
    const struct {
        const char* call;
        const char* step;
    } cases[] = {{"CoCreateInstance", "graph"},
                 {"IGraphBuilder::AddSourceFilter", "source"},
                 {"ISampleGrabber::SetMediaType", "media type"},
                 {"IBaseFilter::EnumPins", "source pins"},
                 {"IPin::ConnectionMediaType", "connection type"},
                 {"IMediaFilter::SetSyncSource", "sync source"}};
    for (const auto& c : cases) {
        TestControl::reset();
        TestControl::failCall(c.call, E_OUTOFMEMORY);
        GraphSession session = GraphSession::build(morvale_test::fixturePath(morvale_test::Fixture::H264FiveFrames), false);
        EXPECT_EQ(session.failure, E_OUTOFMEMORY) << c.call;
        EXPECT_EQ(session.failedStep, c.step) << c.call;
        EXPECT_EQ(TestControl::callCount(c.call), 1) << c.call;
    }
}

}  // namespace
}  // namespace PlatformTest
