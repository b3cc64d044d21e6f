// The audio arithmetic that needs no file: how many samples a stream's
// duration gives, how the writer cuts and times its chunks and interleaves
// them, and which output paths it accepts.
#include <gtest/gtest.h>

#include "audio/audio_chunks.h"
#include "audio/audio_output_extensions.h"
#include "audio/audio_record.h"
#include "audio/claimed_samples.h"

using namespace TravexUtils;

namespace {

TEST(AudioSampleCount, WholeFramesFromRateDurationAndChannels) {
    struct Case {
        uint32_t rate;
        double duration;
        uint32_t channels;
        uint32_t expected;
    };
    const Case cases[] = {
        {44100, 1.5, 2, 132300},  // exact
        {67, 0.5, 3, 102},        // 100.5 -> 100 -> next multiple of 3
        {44100, 0.0, 2, 0},
        {44100, -1.0, 2, 0},      // a duration the file got wrong
        {48000, 1e9, 2, 4294967294u},  // capped at whole frames below 2^32
    };
    for (const Case& c : cases) {
        EXPECT_EQ(audioSampleCount(c.rate, c.duration, c.channels), c.expected)
            << c.rate << " Hz, " << c.duration << " s, " << c.channels << " channels";
    }
}

TEST(ClaimedSamples, BelievedAsFarAsTheFileAndTheMemoryCouldHoldThem) {
    constexpr uint64_t MiB = uint64_t{1} << 20;
    constexpr uint64_t GiB = uint64_t{1} << 30;
    struct Case {
        uint64_t arrayBytes, fileBytes, memoryBytes;
        bool believed;
    };
    const Case cases[] = {
        {16 * MiB, 100, 8 * GiB, true},            // a few minutes from any file
        {16 * MiB + 2, 100, 8 * GiB, false},       // a 100-byte file claiming more
        {1 * GiB, 256 * 1024, 8 * GiB, true},      // 4096 bytes of PCM per file byte
        {1 * GiB + 2, 256 * 1024, 8 * GiB, false}, // one sample past it
        {6 * GiB, 0, 8 * GiB, true},               // file size unknown: memory bounds
        {9 * GiB, 9 * GiB, 8 * GiB, false},        // larger than memory, whatever the file
        {9 * GiB, 9 * GiB, 0, true},               // nothing known bounds nothing
    };
    for (const Case& c : cases) {
        EXPECT_EQ(claimedSamplesBelievable(c.arrayBytes, c.fileBytes, c.memoryBytes), c.believed)
            << c.arrayBytes << " bytes from a file of " << c.fileBytes;
    }
}

TEST(AudioChunks, AtMost1024FramesTimedWithTheOneUnitShift) {
    const std::vector<AudioChunk> chunks = audioChunks(2500);
    ASSERT_EQ(chunks.size(), 3u);
    const int64_t lastDuration = static_cast<int64_t>(452 * 226.7578125);
    const AudioChunk expected[] = {{0, 232200, 0, 1024},
                                   {232200 - 1, 232200, 1024, 1024},
                                   {2 * 232200 - 2, lastDuration, 2048, 452}};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(chunks[k].time, expected[k].time) << k;
        EXPECT_EQ(chunks[k].duration, expected[k].duration) << k;
        EXPECT_EQ(chunks[k].position, expected[k].position) << k;
        EXPECT_EQ(chunks[k].frames, expected[k].frames) << k;
    }
    EXPECT_TRUE(audioChunks(0).empty());
    EXPECT_EQ(audioChunks(1024).size(), 1u);
}

TEST(AudioChunks, PlanarRowsInterleaveFrameByFrame) {
    const int16_t planar[] = {10, 11, 12, 20, 21, 22};  // {2, 3}: left row, right row
    int16_t out[6] = {};
    interleaveChunk(planar, 3, 2, 0, 3, out);
    EXPECT_EQ(std::vector<int16_t>(out, out + 6), (std::vector<int16_t>{10, 20, 11, 21, 12, 22}));
    int16_t tail[2] = {};
    interleaveChunk(planar, 3, 2, 2, 1, tail);  // a chunk from frame 2 on
    EXPECT_EQ(std::vector<int16_t>(tail, tail + 2), (std::vector<int16_t>{12, 22}));
}

TEST(AudioOutputExtensions, LastDotLowerCased) {
    struct Case {
        const char* path;
        bool accepted;
    };
    const Case cases[] = {
        {"song.m4a", true}, {"SONG.M4A", true}, {"a.b/c.Flac", true}, {"dir.x/take.3gpp", true},
        {"noextension", false}, {"ends.in.", false}, {"voice.ogg", false}, {"a.b/c", false},
        {"clip.m4a.part", false}, {".wav", true},
    };
    for (const Case& c : cases) EXPECT_EQ(isAudioOutputExtension(c.path), c.accepted) << c.path;
}

}  // namespace
