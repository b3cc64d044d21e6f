// WriteAudio through the export: argument checks with their exact texts,
// accepted paths, chunking as the sink writer sees it, and what an M4A file
// it wrote reads back as.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "audio/audio_bodies.h"
#include "audio_test_support.h"
#include "host/stand_in/host_stand_in.h"
#include "platform/linux/test_control.h"
#include "tests/support/error_expectations.h"
#include "tests/support/media_fixtures.h"

using namespace morvale_test;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

class AudioWriting : public AudioTest {};

// A stereo sine of that frequency, planar {2, frames}, the right channel at
// half the level.
std::vector<int16_t> stereoSine(double frequency, uint32_t rate, uint32_t frames) {
    std::vector<int16_t> samples(2 * std::size_t{frames});
    for (uint32_t f = 0; f < frames; ++f) {
        const double value = 16000 * std::sin(2 * M_PI * frequency * f / rate);
        samples[f] = static_cast<int16_t>(value);
        samples[frames + f] = static_cast<int16_t>(value / 2);
    }
    return samples;
}

TEST_F(AudioWriting, ArgumentsAreCheckedWithTheirTextsBeforeAnyFile) {
    const std::string dir = scratchDirectory("audio_arguments");
    struct Case {
        std::vector<mint> dims;
        long long rate;
        long long bitRate;
        std::string file;
        const char* error;
        const char* debugText;
    };
    const Case cases[] = {
        {{4}, 44100, 128000, "a.m4a", "RankError", "Invalid RawArray rank: received 1 expected 2"},
        {{3, 4}, 44100, 128000, "a.m4a", "DimensionsError", "Invalid number of channels: received 3 expected 1 or 2"},
        {{2, 4}, 22050, 128000, "a.m4a", "NumericalError",
         "Invalid sample rate: received 22050 expected 44100 Hz or 48000 Hz"},
        {{2, 4}, 48000, 64000, "a.m4a", "NumericalError",
         "Invalid bitrate: received 64000 expected one of the following: 96000, 128000, 160000, 192000"},
        {{1, 4}, 44100, 96000, "a.ogg", "TypeError", "Invalid output file extension"},
        {{1, 4}, 44100, 96000, "missing/a.m4a", "MFObjectCreateError", "Can't create Sink Writer from url"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        korvel::HostArguments arguments;
        arguments.adoptRawArray(korvel::newHostRawArray(MRawArray_Type_Bit16, c.dims))
            .addInteger(c.rate)
            .addInteger(c.bitRate)
            .addString(dir + "/" + c.file);
        TravexUtils::MArgumentManager manager(korvel::hostLibraryData(), arguments.count(), arguments.slots(),
                                              arguments.resultSlot(korvel::ResultKind::String));
        EXPECT_RAISES(TravexUtils::writeAudio(manager), c.error, c.debugText);
    }
    EXPECT_FALSE(std::ifstream(dir + "/a.m4a").good()) << "no file for refused arguments";
}

// 2500 frames reach the sink writer as three samples (1024, 1024, 452; the
// times are the chunk arithmetic's), interleaved, and read back as the same
// stereo sine: channels, rate, duration and frequency (zero crossings).
TEST_F(AudioWriting, UpperCaseM4aRoundTripKeepsChannelsRateDurationAndFrequency) {
    const std::string dir = scratchDirectory("audio_round_trip");
    const std::string chunked = dir + "/chunked.M4A";
    const AudioWrite small = writeAudio({2, 2500}, stereoSine(1000, 44100, 2500), 44100, 128000, chunked);
    ASSERT_EQ(small.code, 0);
    EXPECT_EQ(small.result, chunked);
    EXPECT_EQ(TestControl::callCount("IMFSinkWriter::WriteSample"), 3);
    EXPECT_EQ(TestControl::callCount("MFCreateMemoryBuffer"), 3);

    const std::string path = dir + "/sine.m4a";
    const uint32_t frames = 2 * 44100;
    ASSERT_EQ(writeAudio({2, frames}, stereoSine(1000, 44100, frames), 44100, 128000, path).code, 0);
    const LinkReply properties = readAudioProperties(path);
    ASSERT_EQ(properties.code, 0);
    EXPECT_EQ(streamProperty(*properties.expression, 1, "Channels").integer, 2);
    EXPECT_EQ(streamProperty(*properties.expression, 1, "SampleRate").integer, 44100);
    EXPECT_NEAR(streamProperty(*properties.expression, 1, "Duration").real, 2.0, 0.05);
    EXPECT_NEAR(static_cast<double>(streamProperty(*properties.expression, 1, "BitRate").integer), 128000, 16000);

    const AudioRead read = readAudio(path, 0);
    ASSERT_EQ(read.code, 0);
    const auto readFrames = static_cast<std::size_t>(read.dimensions.at(1));
    int crossings = 0;
    for (std::size_t f = 4410; f + 1 < readFrames - 4410; ++f) {
        crossings += (read.samples[f] < 0) != (read.samples[f + 1] < 0) ? 1 : 0;
    }
    const double seconds = static_cast<double>(readFrames - 2 * 4410) / 44100;
    EXPECT_NEAR(crossings / seconds, 2000, 20) << "a 1000 Hz sine crosses zero 2000 times a second";
}

TEST_F(AudioWriting, ContainersThatCannotCarryAacFailInSetUp) {
    const std::string dir = scratchDirectory("audio_containers");
    struct Case {
        const char* file;
        int code;
    };
    const Case cases[] = {{"a.wav", -66}, {"a.flac", -66}, {"a.mp3", -66}, {"a.aac", 0}, {"a.mp4", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(writeAudio({1, 3000}, std::vector<int16_t>(3000), 48000, 96000, dir + "/" + c.file).code, c.code)
            << c.file;
    }
}

}  // namespace
