// Lazy decoding: ReadSample answers from the demuxed packets, and a frame is
// decoded and converted only when its sample's buffer is asked for, once.
// Samples read without buffers cost no decode and keep their times; frames
// asked for in any subset, any order, from held samples, after a seek or
// after the reader is gone have the pixels of the ffmpeg tool's decode;
// memory stays bounded when nobody asks. Broken data: damaged_media_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "media_probes.h"
#include "platform/linux/lazy_video_decoder.h"
#include "platform/linux/test_control.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

namespace TestControl = MorvalePlatform::TestControl;

class LazyDecoding : public ::testing::Test {
protected:
    void SetUp() override { TestControl::reset(); }
    void TearDown() override { TestControl::reset(); }
};

// Reading without buffers ------------------------------------------------

class SamplesWithoutBuffers : public LazyDecoding, public ::testing::WithParamInterface<Fixture> {};

TEST_P(SamplesWithoutBuffers, DecodeNothingAndFollowTheDecodedFrameList) {
    const std::string path = fixturePath(GetParam());
    const std::vector<PacketTiming> frames = probeVideoFrameTimes(path);
    ReaderSession session;
    auto reader = session.openRgb32(path);
    ASSERT_TRUE(reader);
    const std::vector<SampleRead> facts = readToEnd(reader.get(), noSample);
    EXPECT_EQ(TestControl::decodedFrames(), 0);
    EXPECT_EQ(TestControl::rgbConversions(), 0);
    ASSERT_EQ(facts.size(), frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(facts[i].timeResult, S_OK) << "frame " << i;
        EXPECT_EQ(facts[i].time, frames[i].time) << "frame " << i;
        // The cut file's edit list ends 20 ms after its last packet: that
        // frame lasts to the file's end.
        const bool lastOfCut = GetParam() == Fixture::H264Cut && i + 1 == frames.size();
        if (frames[i].duration > 0 && !lastOfCut) {
            EXPECT_EQ(facts[i].duration, frames[i].duration) << "frame " << i;
        }
        EXPECT_GT(facts[i].duration, 0) << "frame " << i;
        EXPECT_EQ(facts[i].flags, 0u) << "frame " << i;
    }

    // Asking for every buffer changes nothing that ReadSample reports.
    ASSERT_EQ(rewind(reader.get()), S_OK);
    const std::vector<SampleRead> decoded = readToEnd(reader.get(), everySample);
    ASSERT_EQ(decoded.size(), facts.size());
    for (size_t i = 0; i < facts.size(); ++i) {
        EXPECT_EQ(decoded[i].time, facts[i].time) << "frame " << i;
        EXPECT_EQ(decoded[i].duration, facts[i].duration) << "frame " << i;
        EXPECT_EQ(decoded[i].flags, facts[i].flags) << "frame " << i;
        EXPECT_EQ(decoded[i].bufferResult, S_OK) << "frame " << i;
    }
    EXPECT_EQ(TestControl::decodedFrames(), static_cast<long>(facts.size())) << "each frame decoded once";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SamplesWithoutBuffers,
                         ::testing::Values(Fixture::H264Default, Fixture::H264OpenGop, Fixture::H264Cut,
                                           Fixture::Mpeg4Avi, Fixture::Vp9Webm, Fixture::RgbAvi,
                                           Fixture::AudioFirstMp4),
                         [](const auto& instance) { return fixtureName(instance.param); });

TEST_F(LazyDecoding, OnlyABufferRequestDecodesAndConvertsOnce) {
    ReaderSession session;
    auto reader = session.openRgb32(fixturePath(Fixture::H264Small));
    ASSERT_TRUE(reader);
    EXPECT_EQ(TestControl::decodedFrames(), 0) << "opening decodes nothing";
    for (int frame = 0; frame < 10; ++frame) {
        ReadResult read = readVideoSample(reader.get());
        ASSERT_TRUE(read.sample);
        DWORD count = 0;
        DWORD length = 0;
        EXPECT_EQ(read.sample->GetBufferCount(&count), S_OK);
        EXPECT_EQ(count, 1u);
        EXPECT_EQ(read.sample->GetTotalLength(&length), S_OK);
        EXPECT_EQ(length, 320u * 240 * 4) << "known without decoding";
        if (frame == 4) {
            sampleBytes(read.sample.get());
            sampleBytes(read.sample.get());  // a second look converts nothing more
        }
        if (frame == 7) {
            ComPtr<IMFMediaBuffer> byIndex;
            ComPtr<IMFMediaBuffer> contiguous;
            ASSERT_EQ(read.sample->GetBufferByIndex(0, &byIndex), S_OK);
            ASSERT_EQ(read.sample->ConvertToContiguousBuffer(&contiguous), S_OK);
            EXPECT_EQ(contiguous.get(), byIndex.get());
        }
    }
    // Frames 0 to 7 come out of the decoder on the way to frame 7; 8 and 9
    // are never asked for.
    EXPECT_EQ(TestControl::decodedFrames(), 8);
    EXPECT_EQ(TestControl::rgbConversions(), 2);
}

TEST_F(LazyDecoding, LongClipKeepsAboutOneGroupOfPicturesWhetherASampleIsHeldOrNot) {
    const std::string path = fixturePath(Fixture::H264Long);
    ReaderSession session;
    const std::vector<uint8_t> first = sampleBytes(readVideoSample(session.openRgb32(path).get()).sample.get());
    for (const bool holdFirst : {false, true}) {
        SCOPED_TRACE(holdFirst ? "first sample held" : "nothing held");
        {
            auto reader = session.openRgb32(path);
            ASSERT_TRUE(reader);
            TestControl::reset();
            ComPtr<IMFSample> held;
            long most = 0;
            int count = 0;
            for (;; ++count) {
                ReadResult read = readVideoSample(reader.get());
                ASSERT_EQ(read.hr, S_OK);
                if (read.flags & MF_SOURCE_READERF_ENDOFSTREAM) break;
                ASSERT_TRUE(read.sample);
                if (holdFirst && count == 0) held = read.sample;
                most = std::max(most, TestControl::retainedPackets());
            }
            EXPECT_EQ(count, 1500);
            // A group of 25 pictures and the read-ahead window, whatever the
            // length of the file.
            EXPECT_LE(most, 25 + 80);
            EXPECT_LE(TestControl::peakRetainedPackets(), 25 + 80) << "within a ReadSample too";
            if (holdFirst) {
                // Decoded when its packets went, not all the way along.
                EXPECT_LE(TestControl::decodedFrames(), 25);
                EXPECT_TRUE(sampleBytes(held.get()) == first);
            } else {
                EXPECT_EQ(TestControl::decodedFrames(), 0);
            }
        }
        EXPECT_EQ(TestControl::retainedPackets(), 0) << "the reader's packets go with it";
        EXPECT_EQ(TestControl::liveObjects(), 0);
    }
}

// Pixels -------------------------------------------------------------------

struct SubsetCase {
    Fixture fixture;
    // Largest difference from the ffmpeg tool's decode allowed in any colour
    // byte: none where frames convert as the tool converts them; the MJPEG
    // fixture is 4:4:4, which the tool converts by another route.
    int tolerance;
    int decoderThreads = 0;  // 0: one per core; fuzzing decodes on one
};

class LazyPixels : public LazyDecoding, public ::testing::WithParamInterface<SubsetCase> {
protected:
    void SetUp() override {
        LazyDecoding::SetUp();
        TestControl::setDecoderThreads(GetParam().decoderThreads);
    }
    void TearDown() override {
        TestControl::setDecoderThreads(0);
        LazyDecoding::TearDown();
    }
};

// Frames asked for as their samples come, in random subsets; then held
// samples asked for in any order.
TEST_P(LazyPixels, SubsetsAndHeldSamplesGetTheFramesOfAFullDecode) {
    const std::string path = fixturePath(GetParam().fixture);
    ReaderSession session;
    {
        auto reader = session.openRgb32(path);
        ASSERT_TRUE(reader);
        ComPtr<IMFMediaType> current;
        ASSERT_EQ(reader->GetCurrentMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, &current), S_OK);
        EXPECT_EQ(MFGetAttributeUINT32(current.get(), MF_MT_DEFAULT_STRIDE, 0), currentFrameSize(reader.get()).first * 4);
    }
    // Every frame (the sizes too) as the tool decodes it.
    const std::vector<std::vector<uint8_t>> all = everyFrame(session, path);
    ASSERT_GT(all.size(), 4u);
    EXPECT_LE(largestDifferenceFromFfmpeg(all, path), GetParam().tolerance);

    for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        std::mt19937 random(seed);
        // From a quarter of the frames down to a few.
        std::bernoulli_distribution wanted(seed == 5 ? 0.05 : 0.25);
        std::vector<size_t> subset;
        for (size_t i = 0; i < all.size(); ++i) {
            if (wanted(random)) subset.push_back(i);
        }
        if (subset.empty()) subset.push_back(all.size() - 1);
        TestControl::reset();
        auto reader = session.openRgb32(path);
        ASSERT_TRUE(reader);
        size_t next = 0;
        for (size_t i = 0; next < subset.size(); ++i) {
            ReadResult read = readVideoSample(reader.get());
            ASSERT_EQ(read.hr, S_OK);
            ASSERT_TRUE(read.sample) << "seed " << seed << " frame " << i;
            if (i != subset[next]) continue;
            EXPECT_TRUE(sampleBytes(read.sample.get()) == all[i]) << "seed " << seed << " frame " << i;
            ++next;
        }
        EXPECT_EQ(TestControl::rgbConversions(), static_cast<long>(subset.size()));
        EXPECT_LE(TestControl::decodedFrames(), static_cast<long>(subset.back() + 1)) << "seed " << seed;
    }

    for (unsigned seed : {7u, 8u, 9u}) {
        auto reader = session.openRgb32(path);
        ASSERT_TRUE(reader);
        // Every third sample of the clip is held; the others are released
        // unseen. Then their buffers are asked for, shuffled.
        std::vector<std::pair<size_t, ComPtr<IMFSample>>> held;
        for (size_t i = 0; i < all.size(); ++i) {
            ReadResult read = readVideoSample(reader.get());
            ASSERT_TRUE(read.sample);
            if (i % 3 == seed % 3) held.emplace_back(i, read.sample);
        }
        std::mt19937 random(seed);
        std::shuffle(held.begin(), held.end(), random);
        for (const auto& [index, sample] : held) {
            EXPECT_TRUE(sampleBytes(sample.get()) == all[index]) << "seed " << seed << " frame " << index;
        }
    }
    // Samples held within one window, asked for backwards.
    auto reader = session.openRgb32(path);
    ASSERT_TRUE(reader);
    std::vector<ComPtr<IMFSample>> first;
    for (size_t i = 0; i < std::min<size_t>(all.size(), 12); ++i) first.push_back(readVideoSample(reader.get()).sample);
    for (size_t i = first.size(); i-- > 0;) {
        ASSERT_TRUE(first[i]);
        EXPECT_TRUE(sampleBytes(first[i].get()) == all[i]) << "frame " << i;
    }
}

// One row per path through the conversion: YUV 4:2:0 (B-frames, an open
// group, an edit list, a Full HD size), 4:4:4 and packed RGB of an odd width.
INSTANTIATE_TEST_SUITE_P(Fixtures, LazyPixels,
                         ::testing::Values(SubsetCase{Fixture::H264Default, 2}, SubsetCase{Fixture::H264OpenGop, 2},
                                           SubsetCase{Fixture::H264Cut, 2}, SubsetCase{Fixture::H264FullHd, 0},
                                           SubsetCase{Fixture::MjpegAvi, 2}, SubsetCase{Fixture::RgbOddAvi, 0}),
                         [](const auto& instance) { return fixtureName(instance.param.fixture); });

// Without frame threads a decoder gives a frame out after fewer packets; the
// frames asked for must still be the right ones.
INSTANTIATE_TEST_SUITE_P(OneDecodingThread, LazyPixels,
                         ::testing::Values(SubsetCase{Fixture::H264Default, 2, 1},
                                           SubsetCase{Fixture::H264OpenGop, 2, 1}, SubsetCase{Fixture::Vp9Webm, 2, 1},
                                           SubsetCase{Fixture::Mpeg4Avi, 2, 1}),
                         [](const auto& instance) { return fixtureName(instance.param.fixture); });

TEST_F(LazyDecoding, LeadingPicturesOfAnOpenGroupAreDecodedFromTheGroupBefore) {
    // Frames shown just before the key frames at 20, 40, 60 and 80 are
    // decoded after them; each asked for alone, first thing.
    const std::string path = fixturePath(Fixture::H264OpenGop);
    ReaderSession session;
    const std::vector<std::vector<uint8_t>> all = everyFrame(session, path);
    ASSERT_EQ(all.size(), 100u);
    for (size_t index : {17u, 18u, 19u, 20u, 38u, 39u, 59u, 79u, 80u, 99u}) {
        auto reader = session.openRgb32(path);
        ASSERT_TRUE(reader);
        for (size_t i = 0; i <= index; ++i) {
            ReadResult read = readVideoSample(reader.get());
            ASSERT_TRUE(read.sample);
            if (i == index) {
                EXPECT_TRUE(sampleBytes(read.sample.get()) == all[i]) << "frame " << i;
            }
        }
    }
}

TEST_F(LazyDecoding, KeyFramesTooFarApartAreDecodedForwardInsteadOfKept) {
    const std::string path = fixturePath(Fixture::H264OneKeyFrame);
    const size_t bound = MorvalePlatform::LazyVideoDecoder::kMaxKeptPackets + 80;
    ReaderSession session;
    const std::vector<std::vector<uint8_t>> all = everyFrame(session, path);
    ASSERT_EQ(all.size(), 1300u);
    {
        TestControl::reset();
        auto reader = session.openRgb32(path);
        ASSERT_TRUE(reader);
        EXPECT_EQ(readToEnd(reader.get(), noSample).size(), 1300u);
        EXPECT_LE(TestControl::peakRetainedPackets(), static_cast<long>(bound));
        EXPECT_GT(TestControl::decodedFrames(), 0) << "the decoder's state replaced the packets";
        EXPECT_EQ(TestControl::rgbConversions(), 0);
    }
    // Frames asked for along the way, and one held from the start, still
    // get the pixels of the full decode.
    TestControl::reset();
    auto reader = session.openRgb32(path);
    ASSERT_TRUE(reader);
    ComPtr<IMFSample> held;
    for (size_t i = 0; i < all.size(); ++i) {
        ReadResult read = readVideoSample(reader.get());
        ASSERT_TRUE(read.sample);
        if (i == 3) held = read.sample;
        if (i % 97 == 50) {
            EXPECT_TRUE(sampleBytes(read.sample.get()) == all[i]) << "frame " << i;
        }
    }
    EXPECT_LE(TestControl::peakRetainedPackets(), static_cast<long>(bound));
    EXPECT_TRUE(sampleBytes(held.get()) == all[3]);
}

// Lifetimes --------------------------------------------------------------

TEST_F(LazyDecoding, HeldSamplesKeepTheirFramesAfterASeekAndAfterTheReaderIsGone) {
    const std::string path = fixturePath(Fixture::H264Default);
    std::vector<ComPtr<IMFSample>> before;
    std::vector<std::vector<uint8_t>> all;
    {
        ReaderSession session;
        all = everyFrame(session, path);
        auto reader = session.openRgb32(path);
        ASSERT_TRUE(reader);
        for (int i = 0; i < 6; ++i) before.push_back(readVideoSample(reader.get()).sample);
        ASSERT_EQ(rewind(reader.get()), S_OK);
        for (size_t i = 0; i < 8; ++i) {
            ReadResult read = readVideoSample(reader.get());
            ASSERT_TRUE(read.sample);
            EXPECT_TRUE(sampleBytes(read.sample.get()) == all[i]) << "after the seek, frame " << i;
        }
    }
    // Asked for backwards, once the reader and the platform are gone.
    for (size_t i = before.size(); i-- > 0;) {
        ASSERT_TRUE(before[i]);
        EXPECT_TRUE(sampleBytes(before[i].get()) == all[i]) << "before the seek, frame " << i;
    }
    before.clear();
    EXPECT_EQ(TestControl::liveObjects(), 0);
    EXPECT_EQ(TestControl::retainedPackets(), 0);
}

// Streams without presentation times ---------------------------------------

TEST_F(LazyDecoding, PacketsWithoutTimesAreDecodedAsTheyAreRead) {
    const std::string path = fixturePath(Fixture::H264Avi);
    ReaderSession session;
    auto reader = session.openRgb32(path);
    ASSERT_TRUE(reader);
    std::vector<std::vector<uint8_t>> frames;
    LONGLONG previous = -1;
    for (SampleRead& sample : readToEnd(reader.get(), everySample)) {
        if (sample.timeResult == S_OK) {
            EXPECT_GT(sample.time, previous);
            previous = sample.time;
        }
        EXPECT_EQ(sample.bufferResult, S_OK);
        frames.push_back(std::move(sample.pixels));
    }
    EXPECT_EQ(frames.size(), 30u);
    EXPECT_EQ(TestControl::decodedFrames(), 30);
    EXPECT_LE(largestDifferenceFromFfmpeg(frames, path), 2);
}

}  // namespace
}  // namespace PlatformTest
