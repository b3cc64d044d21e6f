// The DirectShow filter graph over FFmpeg, driven the way the library's
// DirectShow reader drives it: bitmaps of odd widths with their row padding,
// a rewind with samples kept past the graph, releasing a running graph, and
// an MP4 through the AVI splitter. Every test ends with no live object and
// no thread. Media types, durations, pixels of other codecs, audio streams
// before the video, the stepping handshake, counting and the failure of
// each step are checked through the DirectShow reader (tests/video_read/ds_*).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "ds_graph_session.h"
#include "tests/support/media_fixtures.h"
#include "platform/linux/test_control.h"
#include "tests/support/real_world_media.h"
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

// A grabber callback that keeps what it is given (samples too: AddRef).
// AddRef and Release count nothing: the test owns it, as the reader owns its
// callback.
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
        samples.push_back(ComPtr<IMediaSample>::share(sample));  // read after the run
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BufferCB(double time, BYTE* buffer, LONG length) override {
        std::lock_guard lock(mutex);
        seconds.push_back(time);
        frames.emplace_back(buffer, buffer + length);
        return S_OK;
    }

    std::mutex mutex;
    std::vector<double> seconds;
    std::vector<std::vector<BYTE>> frames;
    std::vector<ComPtr<IMediaSample>> samples;
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

struct PixelCase {
    const char* name;
    std::string (*path)();
    bool splitter;
    int width;
    int height;
};

std::string rgbWidth5() { return morvale_test::sizedClip({"rawvideo", "avi", 5, 4, "bgr24", "", 3}); }
std::string rgb33x17() { return morvale_test::fixturePath(morvale_test::Fixture::RgbOddAvi); }
std::string ffv1Odd() { return morvale_test::sizedClip({"ffv1", "mkv", 7, 5, "bgr0", "", 3}); }

class DsGraphPixels : public DsGraph, public ::testing::WithParamInterface<PixelCase> {};

// Lossless sources whose rows need padding to 4 bytes; other codecs'
// pixels are checked through the DirectShow reader.
TEST_P(DsGraphPixels, BufferCallbackBitmapsEqualTheFfmpegTool) {
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
        EXPECT_TRUE(callback.frames[i] == expected[i]) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, DsGraphPixels,
    ::testing::Values(PixelCase{"RgbWidth5", rgbWidth5, true, 5, 4}, PixelCase{"Rgb33x17", rgb33x17, true, 33, 17},
                      PixelCase{"Ffv1Rgb7x5", ffv1Odd, false, 7, 5}),
    [](const auto& test) { return std::string(test.param.name); });

// A stop, a rewind and a second run start again from the first frame, and
// the samples of the sample callback decode their frames when their bytes
// are asked for: kept past the end of the run and the graph's release, read
// last to first, each gives the bitmap the buffer callback of the first run
// got for it. (The grabber holds a reference to its callback: callbacks
// outlive the graph.)
TEST_F(DsGraph, ARewindStartsAgainAndKeptSamplesGiveTheirOwnFramesAfterTheGraphIsGone) {
    RecordingCallback buffers;
    RecordingCallback keeping;
    {
        GraphSession session =
            GraphSession::build(morvale_test::fixturePath(morvale_test::Fixture::H264OpenGop), false);
        ASSERT_TRUE(session.built()) << session.failedStep;
        ASSERT_EQ(session.grabber->SetCallback(&buffers, 1), S_OK);
        runToEnd(session);
        ASSERT_EQ(session.control->Stop(), S_OK);
        LONGLONG start = 0;
        ASSERT_EQ(session.seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr,
                                                AM_SEEKING_NoPositioning),
                  S_OK);
        ASSERT_EQ(session.grabber->SetCallback(&keeping, 0), S_OK);
        EXPECT_EQ(runToEnd(session), EC_COMPLETE);
    }
    ASSERT_EQ(keeping.samples.size(), 100u);
    ASSERT_EQ(buffers.frames.size(), keeping.samples.size());
    EXPECT_EQ(keeping.samples[0]->IsSyncPoint(), S_OK);
    EXPECT_EQ(keeping.samples[1]->IsSyncPoint(), S_FALSE);
    for (size_t i = keeping.samples.size(); i-- > 0;) {
        IMediaSample& sample = *keeping.samples[i];
        REFERENCE_TIME begin = 0;
        REFERENCE_TIME end = 0;
        ASSERT_EQ(sample.GetTime(&begin, &end), S_OK);
        EXPECT_DOUBLE_EQ(static_cast<double>(begin) / 1e7, buffers.seconds[i]) << "frame " << i;
        BYTE* bytes = nullptr;
        ASSERT_EQ(sample.GetPointer(&bytes), S_OK);
        ASSERT_EQ(static_cast<size_t>(sample.GetActualDataLength()), buffers.frames[i].size());
        EXPECT_TRUE(std::equal(bytes, bytes + sample.GetActualDataLength(), buffers.frames[i].begin()))
            << "frame " << i;
    }
    keeping.samples.clear();
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

// An MP4 named .avi goes through the splitter, to which its streams do not
// connect: no pin has a video header. (Files the source filter refuses, and
// the reader's named error for each failing step, are checked through the
// DirectShow reader.)
TEST_F(DsGraph, StreamsThatDoNotConnectToTheSplitterLeaveNoVideoHeader) {
    GraphSession session = GraphSession::build(morvale_test::fixturePath(morvale_test::Fixture::H264Small), true);
    EXPECT_EQ(session.failure, E_POINTER);
    EXPECT_EQ(session.failedStep, "video header");
}

}  // namespace
}  // namespace PlatformTest
