// Files as users have them, through the source reader: in every container
// the frames are timed as the ffmpeg tools say and a seek to a later time
// lands on the latest key frame at or before it (the second seek with the
// decoder part-way into the file); a file whose container states no
// duration reports where its last packet ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "media_probes.h"
#include "platform/linux/test_control.h"
#include "platform/prop_variant_guard.h"
#include "reader_session.h"
#include "tests/support/real_world_media.h"

namespace PlatformTest {
namespace {

namespace TestControl = MorvalePlatform::TestControl;
using morvale_test::Clip;

// Largest difference of a colour byte between a frame we read and frame
// index of ffmpeg's; 256 when there is no such frame.
int largestDifference(const std::vector<uint8_t>& ours, const std::vector<uint8_t>& reference, size_t frame) {
    const size_t bytes = ours.size();
    if (bytes == 0 || reference.size() < (frame + 1) * bytes) return 256;
    return largestColourDifference(ours.data(), reference.data() + frame * bytes, bytes);
}

HRESULT seekTo(IMFSourceReader* reader, LONGLONG time) {
    MorvalePlatform::PropVariantGuard position;
    position.setInt64(time);
    return reader->SetCurrentPosition(GUID_NULL, position.value());
}

class Containers : public ::testing::TestWithParam<Clip> {
protected:
    void SetUp() override {
        TestControl::reset();
        path_ = morvale_test::clipPath(GetParam());
        frames_ = probeVideoFrameTimes(path_);
        reference_ = morvale_test::decodedFrames(path_, "bgra");
    }
    void TearDown() override { EXPECT_EQ(TestControl::liveObjects(), 0); }

    std::string path_;
    std::vector<PacketTiming> frames_;  // ffprobe's, in presentation order
    std::vector<uint8_t> reference_;    // ffmpeg's BGRA frames
    ReaderSession session_;
};

// Every frame's time and duration as ffprobe has them, the last frame's
// pixels as ffmpeg decodes them; then a seek to a later time lands on the
// latest key frame at or before it, between two frames and on one.
TEST_P(Containers, FramesAreTimedAsTheToolsSayAndASeekLandsOnTheLatestKeyFrame) {
    ASSERT_EQ(frames_.size(), size_t{Clip::kFrames});
    auto reader = session_.openRgb32(path_);
    ASSERT_TRUE(reader);
    const size_t last = frames_.size() - 1;
    const std::vector<SampleRead> all = readToEnd(reader.get(), [last](size_t i) { return i == last; });
    ASSERT_EQ(all.size(), frames_.size());
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].timeResult, S_OK) << "frame " << i;
        EXPECT_EQ(all[i].time, frames_[i].time) << "frame " << i;
        EXPECT_GT(all[i].duration, 0) << "frame " << i;
        if (frames_[i].duration > 0) {
            EXPECT_EQ(all[i].duration, frames_[i].duration) << "frame " << i;
        }
    }
    EXPECT_LE(largestDifference(all.back().pixels, reference_, last), 2) << "last frame";

    for (const LONGLONG target : {(all[30].time + all[31].time) / 2, all[40].time}) {
        size_t expected = 0;
        for (size_t i = 0; i < all.size() && all[i].time <= target; ++i) {
            if (all[i].keyFrame) expected = i;
        }
        ASSERT_EQ(seekTo(reader.get(), target), S_OK);
        const std::vector<SampleRead> after = readToEnd(reader.get(), [](size_t i) { return i < 2; });
        ASSERT_EQ(after.size(), all.size() - expected) << "target " << target;
        EXPECT_TRUE(after[0].keyFrame);
        EXPECT_EQ(after[0].time, all[expected].time) << "target " << target;
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_LE(largestDifference(after[i].pixels, reference_, expected + i), 2) << "frame " << expected + i;
        }
        EXPECT_EQ(after.back().time, all.back().time);
    }
}

INSTANTIATE_TEST_SUITE_P(Clips, Containers, ::testing::ValuesIn(morvale_test::containerClips()),
                         [](const auto& instance) { return instance.param.name; });

TEST(LiveRecording, DurationIsWhereTheLastPacketEnds) {
    const std::string path = morvale_test::liveWebm();
    ASSERT_EQ(runCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + path + "'"), "N/A\n")
        << "the container states no duration";
    // From the start to the latest end of a packet of any stream.
    const double start = std::stod(runCommand("ffprobe -v error -show_entries format=start_time -of csv=p=0 '" +
                                              path + "'"));
    int64_t end = 0;
    const std::string packets =
        runCommand("ffprobe -v error -show_entries packet=pts_time,duration_time -of csv=p=0 '" + path + "'");
    std::istringstream lines(packets);
    for (std::string line; std::getline(lines, line);) {
        const auto comma = line.find(',');
        if (comma == std::string::npos) continue;
        end = std::max<int64_t>(end, std::llround((std::stod(line.substr(0, comma)) +
                                                   std::stod(line.substr(comma + 1))) * 1e7));
    }
    ASSERT_GT(end, 19000000);

    TestControl::reset();
    ReaderSession session;
    ComPtr<IMFSourceReader> reader;
    ASSERT_EQ(session.open(path, reader), S_OK);
    MorvalePlatform::PropVariantGuard duration;
    ASSERT_EQ(reader->GetPresentationAttribute(MF_SOURCE_READER_MEDIASOURCE, MF_PD_DURATION, duration.get()), S_OK);
    EXPECT_EQ(duration.value().vt, VT_UI8);
    EXPECT_NEAR(static_cast<double>(duration.value().uhVal.QuadPart), static_cast<double>(end) - start * 1e7,
                10000.0);
    EXPECT_EQ(TestControl::decodedFrames(), 0) << "found without decoding";
    // Reading is not disturbed.
    ASSERT_EQ(setRgb32(reader.get()), S_OK);
    EXPECT_EQ(readToEnd(reader.get(), noSample).size(), size_t{Clip::kFrames});
}

}  // namespace
}  // namespace PlatformTest
