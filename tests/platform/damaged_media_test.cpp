// Damaged data through the source reader: a frame whose packet does not
// decode shows the nearest earlier picture that does, whether frames are
// asked for in order, alone or backwards; no frame shows another frame's
// picture otherwise; a frame with no earlier picture fails its buffer
// request, and nothing else does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>

#include "media_probes.h"
#include "platform/linux/test_control.h"
#include "reader_session.h"
#include "tests/support/real_world_media.h"
#include "tests/support/reference_media.h"

namespace PlatformTest {
namespace {

namespace TestControl = MorvalePlatform::TestControl;
using Frames = std::vector<std::vector<uint8_t>>;

// Frame index asked for alone: the samples before it are read and released
// unseen, as the library does for a single frame.
std::vector<uint8_t> frameAlone(ReaderSession& session, const std::string& path, size_t index) {
    auto reader = session.openRgb32(path);
    if (!reader) return {};
    for (size_t i = 0;; ++i) {
        ReadResult read = readVideoSample(reader.get());
        if (read.hr != S_OK || !read.sample) return {};
        if (i == index) return sampleBytes(read.sample.get());
    }
}

// Every sample held first, then their buffers asked for from the last back.
Frames framesBackwards(ReaderSession& session, const std::string& path) {
    auto reader = session.openRgb32(path);
    std::vector<ComPtr<IMFSample>> held;
    for (;;) {
        ReadResult read = readVideoSample(reader.get());
        if (read.hr != S_OK || !read.sample) break;
        held.push_back(read.sample);
    }
    Frames frames(held.size());
    for (size_t i = held.size(); i-- > 0;) frames[i] = sampleBytes(held[i].get());
    return frames;
}

class DamagedMedia : public ::testing::Test {
protected:
    void SetUp() override { TestControl::reset(); }
    void TearDown() override {
        EXPECT_EQ(TestControl::liveObjects(), 0);
        EXPECT_EQ(TestControl::retainedPackets(), 0);
    }
    ReaderSession session_;
};

// Damage that reaches no other frame: the frames whose own packets are
// gone, and nothing else, show the picture of the frame before them (or
// before a run of them).
struct IsolatedDamage {
    std::string name;
    std::function<std::string()> clean;
    std::function<std::string()> damage;
    size_t lostFrames;
};

class IsolatedDamageIsConcealed : public DamagedMedia, public ::testing::WithParamInterface<IsolatedDamage> {};

TEST_P(IsolatedDamageIsConcealed, ByTheNearestEarlierPictureInEveryOrder) {
    const std::string damaged = GetParam().damage();
    const Frames clean = everyFrame(session_, GetParam().clean());
    const Frames inOrder = everyFrame(session_, damaged);
    ASSERT_EQ(inOrder.size(), clean.size()) << "the count does not change";
    size_t lost = 0;
    std::optional<size_t> lastGood;
    for (size_t i = 0; i < clean.size(); ++i) {
        if (inOrder[i] == clean[i]) {
            lastGood = i;
            continue;
        }
        ++lost;
        ASSERT_TRUE(lastGood) << "frame " << i << " has no earlier picture";
        EXPECT_TRUE(inOrder[i] == clean[*lastGood]) << "frame " << i << " shows frame " << *lastGood;
    }
    EXPECT_EQ(lost, GetParam().lostFrames);

    EXPECT_TRUE(framesBackwards(session_, damaged) == inOrder);
    for (size_t i = 1; i < clean.size(); ++i) {
        if (inOrder[i] == clean[i] && inOrder[i - 1] == clean[i - 1]) continue;
        EXPECT_TRUE(frameAlone(session_, damaged, i) == inOrder[i]) << "frame " << i << " alone";
    }
}

std::string mjpegClip() {
    for (const auto& clip : morvale_test::containerClips()) {
        if (clip.name == "MjpegOddAvi") return morvale_test::clipPath(clip);
    }
    throw std::logic_error("no MJPEG clip");
}

std::string unreferencedBClip() { return morvale_test::clipPath(morvale_test::unreferencedBPicturesClip()); }

// The first of two B-picture packets one after the other, from index from
// of the list on; the list's size when there are none.
size_t firstPairFrom(const std::vector<size_t>& bPackets, size_t from) {
    for (size_t i = from; i + 1 < bPackets.size(); ++i) {
        if (bPackets[i + 1] == bPackets[i] + 1) return i;
    }
    return bPackets.size();
}

INSTANTIATE_TEST_SUITE_P(
    Files, IsolatedDamageIsConcealed,
    ::testing::Values(
        // One frame, then two in a row.
        IsolatedDamage{"MjpegAvi", mjpegClip,
                       [] {
                           return morvale_test::withPacketsZeroed(mjpegClip(), "mjpeg_317x239_zeroed_20_33_34.avi",
                                                                  {20, 33, 34});
                       },
                       3},
        // B-pictures: the fourth, and a pair shown one after the other.
        IsolatedDamage{"H264Mp4", unreferencedBClip,
                       [] {
                           const std::vector<size_t> b = morvale_test::bPicturePackets(unreferencedBClip());
                           const size_t pair = firstPairFrom(b, 6);
                           return morvale_test::withPacketsZeroed(unreferencedBClip(),
                                                                  "h264_unreferenced_b_zeroed.mp4",
                                                                  {b.at(3), b.at(pair), b.at(pair + 1)});
                       },
                       3}),
    [](const auto& instance) { return instance.param.name; });

// ffmpeg's decode of a file: the pictures it gives, by presentation time in
// 100 ns.
std::map<LONGLONG, std::vector<uint8_t>> ffmpegPicturesByTime(const std::string& path, size_t frameBytes) {
    const std::vector<uint8_t> bytes = morvale_test::decodedFrames(path, "bgra");
    const std::string times = runCommand(
        "ffprobe -v error -select_streams v:0 -show_entries frame=pts_time -of compact=p=0 '" + path + "'");
    std::map<LONGLONG, std::vector<uint8_t>> pictures;
    size_t offset = 0;
    for (auto& fields : morvale_test::compactRecords(times)) {
        // Lines of side data carry no time.
        if (!fields.count("pts_time") || offset + frameBytes > bytes.size()) continue;
        const LONGLONG time = std::llround(std::stod(fields["pts_time"]) * 1e7);
        pictures[time].assign(bytes.begin() + static_cast<long>(offset),
                              bytes.begin() + static_cast<long>(offset + frameBytes));
        offset += frameBytes;
    }
    return pictures;
}

TEST_F(DamagedMedia, PicturesDecodedOutOfPlaceGoToTheirOwnFrames) {
    // 4 KB of media data gone across the first group of pictures and the
    // second key frame: the decoder drops frames, and gives out one of the
    // first group late, after frames of the second. Each frame shows its
    // own picture as ffmpeg decodes it, or else the nearest earlier one.
    const std::string damaged = morvale_test::withMediaBytesZeroed(morvale_test::twentyFramesH264(),
                                                                   "h264_20_frames_4k_zeroed.mp4", 3952, 4096);
    std::vector<LONGLONG> times;
    Frames inOrder;
    {
        auto reader = session_.openRgb32(damaged);
        ASSERT_TRUE(reader);
        for (SampleRead& sample : readToEnd(reader.get(), everySample)) {
            EXPECT_EQ(sample.bufferResult, S_OK);
            times.push_back(sample.timestamp);
            inOrder.push_back(std::move(sample.pixels));
        }
    }
    ASSERT_EQ(inOrder.size(), 20u);
    const std::map<LONGLONG, std::vector<uint8_t>> ffmpeg = ffmpegPicturesByTime(damaged, inOrder[0].size());
    ASSERT_LT(ffmpeg.size(), 20u) << "the damage costs frames";
    size_t concealed = 0;
    for (size_t i = 0; i < inOrder.size(); ++i) {
        const auto own = ffmpeg.find(times[i]);
        if (own != ffmpeg.end()) {
            ASSERT_EQ(inOrder[i].size(), own->second.size());
            EXPECT_LE(largestColourDifference(inOrder[i].data(), own->second.data(), own->second.size()), 2)
                << "frame " << i;
        } else {
            ++concealed;
            ASSERT_GT(i, 0u);
            EXPECT_TRUE(inOrder[i] == inOrder[i - 1]) << "frame " << i;
        }
    }
    EXPECT_EQ(concealed, 20 - ffmpeg.size());
    EXPECT_TRUE(framesBackwards(session_, damaged) == inOrder);
    for (size_t i = 0; i < inOrder.size(); ++i) {
        EXPECT_TRUE(frameAlone(session_, damaged, i) == inOrder[i]) << "frame " << i << " alone";
    }
}

TEST_F(DamagedMedia, AFrameWithNoEarlierPictureFailsItsBufferAlone) {
    const std::string clean = mjpegClip();
    const std::string damaged = morvale_test::withPacketsZeroed(clean, "mjpeg_317x239_zeroed_0.avi", {0});
    const Frames reference = everyFrame(session_, clean);
    auto reader = session_.openRgb32(damaged);
    ASSERT_TRUE(reader);
    const std::vector<SampleRead> frames = readToEnd(reader.get(), everySample);
    ASSERT_EQ(frames.size(), reference.size());
    EXPECT_EQ(frames[0].bufferResult, MF_E_INVALID_STREAM_DATA);
    for (size_t i = 1; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].bufferResult, S_OK) << "frame " << i;
        EXPECT_TRUE(frames[i].pixels == reference[i]) << "frame " << i;
    }
    // Again on every request.
    reader = session_.openRgb32(damaged);
    ASSERT_TRUE(reader);
    ReadResult first = readVideoSample(reader.get());
    ASSERT_TRUE(first.sample);
    ComPtr<IMFMediaBuffer> buffer;
    EXPECT_EQ(first.sample->ConvertToContiguousBuffer(&buffer), MF_E_INVALID_STREAM_DATA);
    EXPECT_EQ(first.sample->GetBufferByIndex(0, &buffer), MF_E_INVALID_STREAM_DATA);
    EXPECT_FALSE(buffer);
}

}  // namespace
}  // namespace PlatformTest
