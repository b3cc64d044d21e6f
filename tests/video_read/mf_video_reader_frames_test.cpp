// The Media Foundation reader's frame reading: requests in any order from
// one decode, padded buffers, one-step mode, requests beyond the end, the
// lazy conversion of skipped frames, and sizes changing mid-stream. Pixels
// of every codec and size against the ffmpeg tool are checked in
// sized_clip_frames_test.cpp and through the exports.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/error_expectations.h"
#include "tests/support/media_fixtures.h"
#include "tests/support/reference_media.h"
#include "tests/video_read/reader_test_support.h"
#include "video/read/frame_layout.h"
#include "video/read/frame_numbers.h"
#include "video/read/mf_video_reader.h"

using namespace TravexUtils;
using morvale_test::Fixture;
using morvale_test::fixturePath;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

class MFReaderFrames : public morvale_test::ReaderTest {
protected:
    // Opens a reader with its properties loaded.
    static std::unique_ptr<MFVideoReader> opened(Fixture file) {
        auto reader = std::make_unique<MFVideoReader>(fixturePath(file));
        reader->open();
        reader->loadProperties();
        return reader;
    }

    static FrameRequest requestOf(const std::vector<std::pair<int64_t, int64_t>>& pairs) {
        FrameRequest request;
        for (auto [index, slot] : pairs) request.insert(index, slot);
        return request;
    }
};

TEST_F(MFReaderFrames, RepeatedAndUnorderedNumbersComeFromOneDecode) {
    auto reader = opened(Fixture::RgbAvi);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(fixturePath(Fixture::RgbAvi));
    const std::size_t frameBytes = FrameLayout::frameBytes(reader->info.width, reader->info.height);
    std::vector<uint8_t> slots(3 * frameBytes);
    TestControl::reset();
    reader->readFrames(requestOf({{2, 0}, {0, 1}, {2, 2}}), false, slots.data(), 2, false);
    EXPECT_EQ(TestControl::callCount("IMFSourceReader::ReadSample"), 3) << "frames 0 to 2 only";
    for (auto [slot, frame] : {std::pair{0, 2}, {1, 0}, {2, 2}}) {
        EXPECT_TRUE(std::equal(slots.begin() + slot * frameBytes, slots.begin() + (slot + 1) * frameBytes,
                               reference.begin() + frame * frameBytes))
            << "slot " << slot;
    }
}

// A decoder that pads the height to whole macroblocks: the picture keeps
// the stream's height and is read at the buffer's full stride.
TEST_F(MFReaderFrames, PaddedBuffersAreReadAtTheirFullStride) {
    TestControl::Quirks quirks;
    quirks.padHeightToMacroblock = true;
    TestControl::setQuirks(quirks);
    auto reader = opened(Fixture::H264FullHd);
    EXPECT_EQ(reader->decodedWidth(), 1920u);
    EXPECT_EQ(reader->decodedHeight(), 1088u);
    EXPECT_EQ(reader->info.width, 1920u);
    EXPECT_EQ(reader->info.height, 1080u);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(fixturePath(Fixture::H264FullHd));
    const std::size_t frameBytes = FrameLayout::frameBytes(1920, 1080);
    std::vector<uint8_t> frame(frameBytes);
    reader->readFrames(requestOf({{4, 0}}), false, frame.data(), 4, false);
    const auto d = morvale_test::compareFrames(frame.data(), reference.data() + 4 * frameBytes, frameBytes);
    EXPECT_LT(d.mean, 1.5);
    EXPECT_LE(d.largest, 24);
}

TEST_F(MFReaderFrames, OneStepModeDeliversFrameAfterFrameThenEndOfFile) {
    auto reader = opened(Fixture::H264FiveFrames);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(fixturePath(Fixture::H264FiveFrames));
    const std::size_t frameBytes = FrameLayout::frameBytes(reader->info.width, reader->info.height);
    std::vector<uint8_t> frame(frameBytes);
    for (int k = 0; k < 5; ++k) {
        reader->readFrames(requestOf({{reader->currentFrameIndex() + 1, 0}}), true, frame.data(), 0, false);
        EXPECT_EQ(reader->currentFrameIndex(), k);
        EXPECT_LT(morvale_test::compareFrames(frame.data(), reference.data() + k * frameBytes, frameBytes).mean, 1.5);
    }
    EXPECT_RAISES(reader->readFrames(requestOf({{5, 0}}), true, frame.data(), 0, false), "MFEndOfFile",
                  "End Of File");
}

TEST_F(MFReaderFrames, RequestBeyondTheEndFailsAfterCopyingWhatCameBefore) {
    auto reader = opened(Fixture::RgbAvi);
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(fixturePath(Fixture::RgbAvi));
    const std::size_t frameBytes = FrameLayout::frameBytes(reader->info.width, reader->info.height);
    std::vector<uint8_t> slots(3 * frameBytes, 0xEE);
    EXPECT_RAISES(reader->readFrames(requestOf({{5, 0}, {10, 1}, {-1, 2}}), false, slots.data(), 10, false),
                  "MFInvalidFrameIndex", "Error getting the required frame");
    EXPECT_TRUE(std::equal(slots.begin(), slots.begin() + frameBytes, reference.begin() + 5 * frameBytes));
    EXPECT_EQ(slots[frameBytes], 0xEE) << "the missing frame's slot is untouched";
    EXPECT_EQ(slots[2 * frameBytes], 0xEE) << "a key below 0 matches no frame";
}

TEST_F(MFReaderFrames, SkippedFramesAreNeverConverted) {
    auto reader = opened(Fixture::H264Small);
    std::vector<uint8_t> frame(FrameLayout::frameBytes(320, 240));
    TestControl::reset();
    reader->readFrames(requestOf({{20, 0}}), false, frame.data(), 20, false);
    EXPECT_EQ(TestControl::rgbConversions(), 1);
    // The platform decodes only what frame 20 needs (from its key frame on),
    // never a frame after it.
    EXPECT_GE(TestControl::decodedFrames(), 1);
    EXPECT_LE(TestControl::decodedFrames(), 21);
    EXPECT_EQ(TestControl::callCount("IMFSample::ConvertToContiguousBuffer"), 1);
}

TEST_F(MFReaderFrames, SequentialReadCanRecordTheCount) {
    auto reader = opened(Fixture::H264FiveFrames);
    const PlannedRequest all = planAllFrames(5);
    std::vector<uint8_t> frames(5 * FrameLayout::frameBytes(160, 120));
    reader->readFrames(all.request, false, frames.data(), all.lastIndex, all.storeCount);
    EXPECT_EQ(reader->info.frameCount, 5u);
    EXPECT_EQ(reader->info.frameDurations.size(), 5u);
    EXPECT_TRUE(reader->countDone());
}

TEST_F(MFReaderFrames, MidStreamSizeChangeNeverReadsPastTheBuffer) {
    TestControl::Quirks quirks;
    quirks.sizeChangeFrame = 2;
    quirks.sizeChangeWidth = 80;
    quirks.sizeChangeHeight = 60;
    TestControl::setQuirks(quirks);
    auto reader = opened(Fixture::H264FiveFrames);
    std::vector<uint8_t> frames(5 * FrameLayout::frameBytes(160, 120));
    const PlannedRequest all = planAllFrames(5);
    reader->readFrames(all.request, false, frames.data(), all.lastIndex, false);
    EXPECT_EQ(reader->decodedWidth(), 80u);
    EXPECT_EQ(reader->info.width, 160u) << "the effective size is not shrunk again";
}

}  // namespace
