// The Media Foundation reading exports as a host calls them: every frame
// from one decode, the file's facts through the cache
// and DeleteVideoCache, and the frame-by-frame reader to the end of the
// file (the cache emptied when the library goes is a lifecycle test). What
// the export bodies promise whatever the reader (entries forgotten on
// failure, the frame-by-frame reader closed on failure or on another path)
// is checked with a scripted reader in reading_bodies_test.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bridge/error_manager.h"
#include "tests/support/media_fixtures.h"
#include "tests/support/reference_media.h"
#include "tests/support/export_calls.h"
#include "tests/support/export_test.h"
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

constexpr int kEndOfFile = -75;
constexpr int kReadFrame = -55;

class MFExports : public morvale_test::ExportTest {
protected:
    static long reads() { return TestControl::callCount("IMFSourceReader::ReadSample"); }
    static mint frameCount(const std::string& path) { return morvale_test::frameCountOf(MFReadVideoFrameCount, path); }
};

// An empty list asks for every frame; reading them all records the count
// in the file's entry. (Numbers in any order and repeated are the reader's
// and the frame request's, checked on their own.)
TEST_F(MFExports, EmptyListReadsEveryFrameAndRecordsTheCount) {
    const std::string path = fixturePath(Fixture::RgbAvi);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(path);
    ExportCall all;
    all.string(path).numbers({});
    ASSERT_EQ(all.run(MFReadVideoData, Result::Image), 0);
    ASSERT_EQ(korvel::imageSlices(all.image()), 10);
    EXPECT_EQ(0, std::memcmp(korvel::imageData(all.image()), reference.data(), reference.size()));
    EXPECT_EQ(VideoInfoCache::getReader<MFVideoReader>(path).info.frameCount, 10u);
}

// The count is scanned once per cache entry; DeleteVideoCache answers
// whether it dropped an entry (any, for the empty path), after which the
// file is scanned again.
TEST_F(MFExports, FrameCountIsScannedOncePerCacheEntry) {
    const std::string path = fixturePath(Fixture::H264FiveFrames);
    EXPECT_EQ(frameCount(path), 5);
    const long afterFirst = reads();
    EXPECT_EQ(frameCount(path), 5);
    EXPECT_EQ(reads(), afterFirst) << "the second call is served from the cache";

    struct Case {
        std::string argument;
        bool expected;
    };
    for (const Case& c : {Case{path + " ", false}, Case{"never/used.mp4", false}, Case{path, true}, Case{path, false},
                          Case{"", true}, Case{"", true}}) {
        ExportCall erase;
        erase.string(c.argument);
        ASSERT_EQ(erase.run(DeleteVideoCache, Result::Boolean), 0);
        EXPECT_EQ(erase.boolean(), c.expected) << "\"" << c.argument << "\"";
    }
    ExportCall missingArgument;
    EXPECT_EQ(missingArgument.run(DeleteVideoCache, Result::Boolean), 6);
    EXPECT_EQ(frameCount(path), 5);
    EXPECT_GT(reads(), afterFirst) << "scanned again after the entry was dropped";

    ExportCall durations;
    durations.string(path);
    ASSERT_EQ(durations.run(MFReadVideoFrameDurations, Result::RealTensor), 0);
    ASSERT_EQ(korvel::tensorDimensions(durations.tensor()), (std::vector<mint>{5}));
    EXPECT_NEAR(static_cast<const double*>(korvel::tensorData(durations.tensor()))[0], 0.04, 1e-6);
}

TEST_F(MFExports, GlobalReaderStepsThroughTheFileAndClosesAtItsEnd) {
    const std::string path = fixturePath(Fixture::RgbAvi);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(path);
    const std::size_t frameBytes = FrameLayout::frameBytes(64, 48);
    const auto init = [&path] { return morvale_test::initReader(MFInitVideoReader, path); };
    const auto finalize = [] { return morvale_test::finalizeReader(MFFinalizeVideoReader); };

    ExportCall before;
    EXPECT_EQ(before.run(MFReadNextVideoFrame, Result::Image), kReadFrame);
    ASSERT_EQ(init(), 0);
    for (std::size_t k = 0; k < 10; ++k) {
        if (k == 1) {
            // The same path again goes on where the reader is, without a rewind.
            const long positions = TestControl::callCount("IMFSourceReader::SetCurrentPosition");
            EXPECT_EQ(init(), 0);
            EXPECT_EQ(TestControl::callCount("IMFSourceReader::SetCurrentPosition"), positions);
        }
        ExportCall next;
        ASSERT_EQ(next.run(MFReadNextVideoFrame, Result::Image), 0);
        EXPECT_EQ(korvel::imageRank(next.image()), 2);
        EXPECT_EQ(0, std::memcmp(korvel::imageData(next.image()), reference.data() + k * frameBytes, frameBytes))
            << "frame " << k;
    }
    ExportCall end;
    EXPECT_EQ(end.run(MFReadNextVideoFrame, Result::Image), kEndOfFile);
    ExportCall after;
    EXPECT_EQ(after.run(MFReadNextVideoFrame, Result::Image), kReadFrame) << "the end of the file closes the reader";
    EXPECT_FALSE(finalize());

    ASSERT_EQ(init(), 0);
    EXPECT_TRUE(finalize());
    EXPECT_FALSE(finalize());
    EXPECT_EQ(VideoInfoCache::size(), 0u) << "the frame-by-frame reader is not cached";
}

}  // namespace
