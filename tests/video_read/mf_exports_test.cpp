#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bridge/error_manager.h"
#include "tests/support/media_fixtures.h"
#include "tests/support/reference_media.h"
#include "tests/video_read/export_calls.h"
#include "tests/video_read/export_test.h"
#include "tests/video_read/reader_test_support.h"
#include "video/read/frame_layout.h"
#include "video/read/mf_video_reader.h"
#include "video/read/video_info_cache.h"

using namespace TravexUtils;
using morvale_test::ExportCall;
using morvale_test::Fixture;
using morvale_test::fixturePath;
using Result = ExportCall::Result;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

constexpr int kInvalidFrameIndex = -74;
constexpr int kEndOfFile = -75;
constexpr int kReaderInitialize = -54;
constexpr int kReadFrame = -55;

class MFExports : public morvale_test::ExportTest {
protected:

    static long reads() { return TestControl::callCount("IMFSourceReader::ReadSample"); }

    static int frameCount(const std::string& path) {
        ExportCall call;
        call.string(path);
        EXPECT_EQ(call.run(MFReadVideoFrameCount, Result::Integer), 0);
        return static_cast<int>(call.integer());
    }
};

TEST_F(MFExports, RequestedFramesComeInTheOrderGivenFromOneDecode) {
    const std::string path = fixturePath(Fixture::RgbAvi);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(path);
    const std::size_t frameBytes = FrameLayout::frameBytes(64, 48);
    ExportCall call;
    call.string(path).numbers({3, 1, 3, 0});
    ASSERT_EQ(call.run(MFReadVideoData, Result::Image), 0);
    EXPECT_LE(reads(), 1 + 3) << "the probe's sample, then frames 1 to 3 once";
    ASSERT_EQ(korvel::imageRank(call.image()), 3);
    ASSERT_EQ(korvel::imageSlices(call.image()), 4);
    const uint8_t* data = korvel::imageData(call.image());
    EXPECT_EQ(0, std::memcmp(data, reference.data() + 2 * frameBytes, frameBytes));
    EXPECT_EQ(0, std::memcmp(data + frameBytes, reference.data(), frameBytes));
    EXPECT_EQ(0, std::memcmp(data + 2 * frameBytes, reference.data() + 2 * frameBytes, frameBytes));
    EXPECT_EQ(std::vector<uint8_t>(data + 3 * frameBytes, data + 4 * frameBytes), std::vector<uint8_t>(frameBytes, 0))
        << "frame number 0 leaves its slice as the host made it";
    EXPECT_TRUE(VideoInfoCache::contains(path));
}

TEST_F(MFExports, AnEmptyListReturnsEveryFrame) {
    const std::string path = fixturePath(Fixture::RgbAvi);
    ExportCall call;
    call.string(path).numbers({});
    ASSERT_EQ(call.run(MFReadVideoData, Result::Image), 0);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(path);
    ASSERT_EQ(korvel::imageSlices(call.image()), 10);
    EXPECT_EQ(0, std::memcmp(korvel::imageData(call.image()), reference.data(), reference.size()));
    EXPECT_EQ(VideoInfoCache::getReader<MFVideoReader>(path).info.frameCount, 10u);
}

TEST_F(MFExports, FrameBeyondTheEndKeepsTheEntry) {
    const std::string path = fixturePath(Fixture::H264FiveFrames);
    {
        // Count unknown: the reader finds out while decoding to the end.
        ExportCall call;
        call.string(path).numbers({6});
        EXPECT_EQ(call.run(MFReadVideoData, Result::Image), kInvalidFrameIndex);
        EXPECT_GE(reads(), 6);
        EXPECT_TRUE(VideoInfoCache::contains(path));
    }
    EXPECT_EQ(frameCount(path), 5);
    {
        // Count cached: refused before anything is decoded.
        const long before = reads();
        ExportCall call;
        call.string(path).numbers({1, 6});
        EXPECT_EQ(call.run(MFReadVideoData, Result::Image), kInvalidFrameIndex);
        EXPECT_EQ(reads(), before);
        EXPECT_TRUE(VideoInfoCache::contains(path));
    }
}

TEST_F(MFExports, FrameCountIsScannedOncePerCacheEntry) {
    const std::string path = fixturePath(Fixture::H264FiveFrames);
    EXPECT_EQ(frameCount(path), 5);
    const long afterFirst = reads();
    EXPECT_EQ(frameCount(path), 5);
    EXPECT_EQ(reads(), afterFirst) << "the second call is served from the cache";

    ExportCall erase;
    erase.string(path);
    ASSERT_EQ(erase.run(DeleteVideoCache, Result::Boolean), 0);
    EXPECT_TRUE(erase.boolean());
    EXPECT_EQ(frameCount(path), 5);
    EXPECT_GT(reads(), afterFirst) << "scanned again after the entry was dropped";

    ExportCall durations;
    durations.string(path);
    ASSERT_EQ(durations.run(MFReadVideoFrameDurations, Result::RealTensor), 0);
    ASSERT_EQ(korvel::tensorDimensions(durations.tensor()), (std::vector<mint>{5}));
    EXPECT_NEAR(static_cast<const double*>(korvel::tensorData(durations.tensor()))[0], 0.04, 1e-6);
}

TEST_F(MFExports, DeleteVideoCacheAnswers) {
    const std::string path = fixturePath(Fixture::H264FiveFrames);
    struct Case {
        std::string argument;
        bool expected;
    };
    frameCount(path);
    for (const Case& c : {Case{path + " ", false}, Case{"never/used.mp4", false}, Case{path, true}, Case{path, false},
                          Case{"", true}, Case{"", true}}) {
        ExportCall call;
        call.string(c.argument);
        ASSERT_EQ(call.run(DeleteVideoCache, Result::Boolean), 0);
        EXPECT_EQ(call.boolean(), c.expected) << "\"" << c.argument << "\"";
    }
    ExportCall missingArgument;
    EXPECT_EQ(missingArgument.run(DeleteVideoCache, Result::Boolean), 6);
}

TEST_F(MFExports, FailedCallsDropTheEntry) {
    const std::string path = fixturePath(Fixture::H264FiveFrames);
    frameCount(path);
    ASSERT_TRUE(VideoInfoCache::contains(path));
    TestControl::failCall("MFCreateSourceReaderFromURL", E_FAIL);
    ExportCall call;
    call.string(path);
    EXPECT_EQ(call.run(MFReadVideoFrameCount, Result::Integer), -61);
    EXPECT_FALSE(VideoInfoCache::contains(path));

    ExportCall missing;
    missing.string("/no/such/file.mp4").numbers({1});
    EXPECT_LT(missing.run(MFReadVideoData, Result::Image), -53);
    EXPECT_FALSE(VideoInfoCache::contains("/no/such/file.mp4"));
}

TEST_F(MFExports, GlobalReaderSteps) {
    const std::string path = fixturePath(Fixture::H264FiveFrames);
    const auto init = [](const std::string& p) {
        ExportCall call;
        call.string(p);
        const int code = call.run(MFInitVideoReader, Result::Boolean);
        EXPECT_TRUE(code != 0 || call.boolean());
        return code;
    };
    const auto next = [] {
        ExportCall call;
        return call.run(MFReadNextVideoFrame, Result::Image);
    };
    const auto finalize = [] {
        ExportCall call;
        EXPECT_EQ(call.run(MFFinalizeVideoReader, Result::Boolean), 0);
        return call.boolean();
    };

    EXPECT_EQ(next(), kReadFrame);
    ASSERT_EQ(init(path), 0);
    EXPECT_EQ(next(), 0);
    const long positions = TestControl::callCount("IMFSourceReader::SetCurrentPosition");
    EXPECT_EQ(init(path), 0) << "the same path again";
    EXPECT_EQ(TestControl::callCount("IMFSourceReader::SetCurrentPosition"), positions) << "and no rewind";
    EXPECT_EQ(next(), 0);
    EXPECT_EQ(init(fixturePath(Fixture::H264Small)), kReaderInitialize);
    EXPECT_EQ(next(), kReadFrame) << "another path closes the open reader";
    EXPECT_FALSE(finalize());

    ASSERT_EQ(init(path), 0);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(next(), 0) << "frame " << k;
    EXPECT_EQ(next(), kEndOfFile);
    EXPECT_EQ(next(), kReadFrame) << "the end of the file closes the reader";
    EXPECT_FALSE(finalize());

    ASSERT_EQ(init(path), 0);
    EXPECT_TRUE(finalize());
    EXPECT_FALSE(finalize());
    EXPECT_EQ(VideoInfoCache::size(), 0u) << "the frame-by-frame reader is not cached";
}

TEST_F(MFExports, FramesFromTheGlobalReaderMatchTheFile) {
    const std::string path = fixturePath(Fixture::RgbAvi);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(path);
    const std::size_t frameBytes = FrameLayout::frameBytes(64, 48);
    ExportCall init;
    init.string(path);
    ASSERT_EQ(init.run(MFInitVideoReader, Result::Boolean), 0);
    for (std::size_t k = 0; k < 3; ++k) {
        ExportCall next;
        ASSERT_EQ(next.run(MFReadNextVideoFrame, Result::Image), 0);
        EXPECT_EQ(korvel::imageRank(next.image()), 2);
        EXPECT_EQ(0, std::memcmp(korvel::imageData(next.image()), reference.data() + k * frameBytes, frameBytes));
    }
}

TEST_F(MFExports, UninitialisationClearsTheCache) {
    frameCount(fixturePath(Fixture::H264FiveFrames));
    EXPECT_EQ(VideoInfoCache::size(), 1u);
    KorvelLibrary_uninitialize();
    EXPECT_EQ(VideoInfoCache::size(), 0u);
}

}  // namespace
