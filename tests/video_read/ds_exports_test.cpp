// The DirectShow exports as a host calls them: the frame-by-frame reader
// to its end, random access and the file's facts through the cache, and a
// stress of many runs that must leave no thread, COM object or host array
// behind. The row's five properties and failures through the export bodies
// are checked with a scripted reader (reading_bodies_test.cpp), the
// encoding names with the reader's pixels and the reader's failures in
// ds_video_reader_failures_test.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/media_fixtures.h"
#include "tests/support/reference_media.h"
#include "tests/support/export_calls.h"
#include "tests/support/export_test.h"
#include "video/read/frame_layout.h"
#include "video/read/video_info_cache.h"

using namespace TravexUtils;
using morvale_test::ExportCall;
using morvale_test::Fixture;
using morvale_test::fixturePath;
using Result = ExportCall::Result;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

using morvale_test::codeOf;

// The next frame's code; its pixels into frame when given.
int next(std::vector<uint8_t>* frame = nullptr) {
    ExportCall call;
    const int result = call.run(DSReadNextVideoFrame, Result::Image);
    if (result == 0 && frame) {
        const MImage image = call.image();
        const std::size_t bytes = static_cast<std::size_t>(korvel::imageRows(image) * korvel::imageColumns(image) * 3);
        frame->assign(korvel::imageData(image), korvel::imageData(image) + bytes);
    }
    return result;
}

int init(const std::string& path) { return morvale_test::initReader(DSInitVideoReader, path); }
bool finalize() { return morvale_test::finalizeReader(DSFinalizeVideoReader); }

using DSExports = morvale_test::ExportTest;

TEST_F(DSExports, GlobalReaderStepsToTheEndAndCloses) {
    const std::string path = fixturePath(Fixture::RgbTinyAvi);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(path);
    const std::size_t frameBytes = FrameLayout::frameBytes(5, 4);
    EXPECT_EQ(next(), codeOf("ReadFrameError"));
    ASSERT_EQ(init(path), 0);
    EXPECT_EQ(init(path), 0) << "the same path again";
    std::vector<uint8_t> frame;
    for (std::size_t k = 0; k < 3; ++k) {
        ASSERT_EQ(next(&frame), 0);
        EXPECT_EQ(0, std::memcmp(frame.data(), reference.data() + k * frameBytes, frameBytes)) << "frame " << k;
    }
    EXPECT_EQ(next(), codeOf("DSEndOfFile"));
    EXPECT_EQ(next(), codeOf("ReadFrameError")) << "the end of the file closes the reader";
    EXPECT_FALSE(finalize());
    EXPECT_EQ(VideoInfoCache::size(), 0u) << "the frame-by-frame reader is not cached";
}

TEST_F(DSExports, RandomAccessAndFactsComeFromTheCache) {
    const std::string path = fixturePath(Fixture::RgbAvi);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(path);
    const std::size_t frameBytes = FrameLayout::frameBytes(64, 48);
    {
        ExportCall call;
        call.string(path).numbers({3, 1, 3});
        ASSERT_EQ(call.run(DSReadVideoData, Result::Image), 0);
        ASSERT_EQ(korvel::imageSlices(call.image()), 3);
        const uint8_t* data = korvel::imageData(call.image());
        EXPECT_EQ(0, std::memcmp(data, reference.data() + 2 * frameBytes, frameBytes));
        EXPECT_EQ(0, std::memcmp(data + frameBytes, reference.data(), frameBytes));
        EXPECT_EQ(0, std::memcmp(data + 2 * frameBytes, reference.data() + 2 * frameBytes, frameBytes));
    }
    const long runs = TestControl::callCount("IMediaControl::Run");
    ExportCall count;
    count.string(path);
    ASSERT_EQ(count.run(DSReadVideoFrameCount, Result::Integer), 0);
    EXPECT_EQ(count.integer(), 10);
    ExportCall durations;
    durations.string(path);
    ASSERT_EQ(durations.run(DSReadVideoFrameDurations, Result::RealTensor), 0);
    ASSERT_EQ(korvel::tensorDimensions(durations.tensor()), std::vector<mint>{10});
    EXPECT_NEAR(static_cast<const double*>(korvel::tensorData(durations.tensor()))[9], 0.04, 1e-9);
    ExportCall rate;
    rate.string(path);
    ASSERT_EQ(rate.run(DSReadVideoFrameRate, Result::Real), 0);
    EXPECT_NEAR(rate.real(), 25.0, 1e-9);
    EXPECT_EQ(TestControl::callCount("IMediaControl::Run"), runs) << "counted once, by the first read";
}

// Many runs in one process, each finalized half-way: no deadlock, and no
// thread, COM object or host array left behind (checked after the test).
TEST_F(DSExports, ManyRunsLeaveNothingBehind) {
    const std::string path = fixturePath(Fixture::RgbAvi);
    for (int cycle = 0; cycle < 200; ++cycle) {
        ASSERT_EQ(init(path), 0) << "cycle " << cycle;
        for (int k = 0; k <= cycle % 3; ++k) ASSERT_EQ(next(), 0);
        ASSERT_TRUE(finalize());
    }
    for (int call = 0; call < 200; ++call) {
        ExportCall read;
        read.string(path).numbers({call % 10 + 1});
        ASSERT_EQ(read.run(DSReadVideoData, Result::Image), 0) << "call " << call;
    }
    EXPECT_EQ(TestControl::liveStreamingThreads(), 0);
}

}  // namespace
