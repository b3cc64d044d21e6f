// The DirectShow reader on its own: durations when a sample has no time,
// ending a stepping run half-way, which paths go through the AVI splitter,
// and the encoding name and pixels of every container and codec against the
// ffmpeg tool. (Random access by frame number, stepping to the end of the
// file, and counting once with durations and rate are checked through the
// exports.)
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/support/media_fixtures.h"
#include "tests/support/real_world_media.h"
#include "tests/support/reference_media.h"
#include "tests/support/sized_clips.h"
#include "tests/video_read/reader_test_support.h"
#include "video/read/ds_video_reader.h"
#include "video/read/frame_layout.h"
#include "video/read/frame_numbers.h"

using namespace TravexUtils;
using morvale_test::Fixture;
using morvale_test::fixturePath;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

using DSReader = morvale_test::ReaderTest;

// A sample without a time counts as -1 and the durations stay one per
// frame wherever it falls: the first frame of a damaged file is often the
// one without a time.
TEST_F(DSReader, SampleWithoutTimeCountsAsMinusOne) {
    const struct {
        int64_t untimedFrame;
        std::vector<double> durations;
    } cases[] = {
        {2, {0.04, -1.0, 0.08, 0.04, 0.04}},
        {0, {-1.0, 0.04, 0.04, 0.04, 0.04}},
        {4, {0.04, 0.04, 0.04, -1.0, 0.08}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.untimedFrame);
        TestControl::Quirks quirks;
        quirks.untimedFrame = c.untimedFrame;
        TestControl::setQuirks(quirks);
        DSVideoReader reader(fixturePath(Fixture::H264FiveFrames));
        reader.countFrames();
        EXPECT_EQ(reader.info.frameCount, 5u);
        ASSERT_EQ(reader.info.frameDurations.size(), c.durations.size());
        for (std::size_t i = 0; i < c.durations.size(); ++i) {
            EXPECT_NEAR(reader.info.frameDurations[i], c.durations[i], 1e-9) << i;
        }
    }
}

// Ending a stepping run half-way, by releasing the graph or by destroying
// the reader, lets the streaming thread go and releases everything.
TEST_F(DSReader, EndingASteppingRunHalfWayLeavesNothingRunning) {
    const std::string path = fixturePath(Fixture::H264Small);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(path);
    std::vector<uint8_t> frame(FrameLayout::frameBytes(320, 240));
    for (const bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroyed" : "graph released");
        auto reader = std::make_unique<DSVideoReader>(path);
        reader->readNextFrame(frame.data());
        reader->readNextFrame(frame.data());
        ASSERT_EQ(TestControl::liveStreamingThreads(), 1);
        if (destroy) {
            reader.reset();
        } else {
            reader->releaseGraph();
        }
        EXPECT_EQ(TestControl::liveStreamingThreads(), 0);
        EXPECT_EQ(TestControl::liveObjects(), 0);
        if (reader) {
            // The next step begins a new run on a new graph.
            reader->readNextFrame(frame.data());
            EXPECT_EQ(reader->currentFrame(), 0);
            EXPECT_LE(morvale_test::compareFrames(frame.data(), reference.data(), frame.size()).largest, 3);
        }
    }
}

// Copies a fixture under another name.
std::string copiedAs(Fixture fixture, const std::string& name) {
    return morvale_test::madeFixture(name, [fixture](const std::string& path) {
        std::filesystem::copy_file(fixturePath(fixture), path, std::filesystem::copy_options::overwrite_existing);
    });
}

TEST_F(DSReader, OnlyAnAviExtensionTakesTheSplitter) {
    struct Case {
        const char* name;
        Fixture source;
        bool avi;
        uint32_t frames;
    };
    for (const Case& c : {Case{"CAPITALS.AVI", Fixture::RgbAvi, true, 10},
                          Case{"x.avi.mp4", Fixture::H264FiveFrames, false, 5},
                          Case{"no_extension", Fixture::H264FiveFrames, false, 5}}) {
        SCOPED_TRACE(c.name);
        TestControl::reset();
        DSVideoReader reader(copiedAs(c.source, c.name));
        reader.countFrames();
        EXPECT_EQ(reader.isAvi(), c.avi);
        EXPECT_EQ(TestControl::callCount("CoCreateInstance"), c.avi ? 4 : 3) << "graph, [splitter,] grabber, renderer";
        EXPECT_EQ(reader.info.frameCount, c.frames);
    }
}

// Every frame through DirectShow against the ffmpeg tool's rgb24 frames,
// with the encoding named from the DirectShow table, in every container.
struct PixelCase {
    const char* name;
    std::string (*path)();
    const char* encodingName;  // from the DirectShow table
    // Largest difference from the ffmpeg tool's rgb24 in any colour byte: 0
    // where the platform converts as the tool does; full-range JPEG
    // pictures round differently.
    int tolerance;
};

std::string xvidAvi() { return morvale_test::sizedClip({"mpeg4", "avi", 320, 240, "yuv420p", "-vtag XVID", 4}); }
template <Fixture F>
std::string fixture() {
    return fixturePath(F);
}

const PixelCase kPixelCases[] = {
    {"H264Mp4", fixture<Fixture::H264FiveFrames>, "H264", 0},
    {"XvidAvi", xvidAvi, "XVID", 0},
    {"MjpegAvi", fixture<Fixture::MjpegAvi>, "Motion JPEG", 2},
    {"Vp9Webm", fixture<Fixture::Vp9Webm>, "", 0},
    {"VfrMkv", fixture<Fixture::H264VfrMkv>, "H264", 0},
    {"RgbOdd33x17Avi", fixture<Fixture::RgbOddAvi>, "Uncompressed", 0},
    // Only the video stream connects to the grabber, wherever it comes.
    {"AudioFirstMp4", fixture<Fixture::AudioFirstMp4>, "H264", 0},
};

TEST_F(DSReader, PixelsEqualTheFfmpegTool) {
    for (const PixelCase& c : kPixelCases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.path();
        DSVideoReader ds(path);
        ds.countFrames();
        EXPECT_EQ(ds.info.encodingName, c.encodingName);
        const PlannedRequest plan = planAllFrames(ds.info.frameCount);
        std::vector<uint8_t> dsFrames(plan.sliceCount * FrameLayout::frameBytes(ds.info.width, ds.info.height));
        ds.readFrames(plan, dsFrames.data());
        ds.releaseGraph();
        const std::vector<uint8_t> reference = morvale_test::decodedFrames(path, "rgb24");
        ASSERT_EQ(reference.size(), dsFrames.size()) << "as many frames as the ffmpeg tool decodes";
        EXPECT_EQ(morvale_test::compareFrames(dsFrames.data(), reference.data(), reference.size()).largest, c.tolerance);
    }
}

}  // namespace
