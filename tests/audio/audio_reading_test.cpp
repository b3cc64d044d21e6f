// ReadAudioData and ReadAudioProperties through the exports, on files made
// with the ffmpeg tool and checked against its own decode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "audio/audio_bodies.h"
#include "audio/audio_cache.h"
#include "audio_test_support.h"
#include "platform/linux/test_control.h"
#include "tests/support/error_expectations.h"
#include "tests/support/media_fixtures.h"

using namespace morvale_test;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

constexpr int kNumericalError = 4;
constexpr int kMediaTypeSetError = -67;
constexpr int kMemoryError = 5;

class AudioReading : public AudioTest {};

// Planar {channels, frames} against ffmpeg's interleaved samples: the
// largest difference over the frames both have.
int largestDifference(const AudioRead& read, const std::vector<int16_t>& interleaved) {
    const auto channels = static_cast<std::size_t>(read.dimensions.at(0));
    const auto frames = static_cast<std::size_t>(read.dimensions.at(1));
    const std::size_t common = std::min(frames, interleaved.size() / channels);
    int largest = 0;
    for (std::size_t f = 0; f < common; ++f) {
        for (std::size_t c = 0; c < channels; ++c) {
            largest = std::max(largest, std::abs(read.samples[c * frames + f] - interleaved[f * channels + c]));
        }
    }
    return largest;
}

TEST_F(AudioReading, StereoPcmIsTheFfmpegToolsDecodeExactlyLeftChannelFirst) {
    const std::string path = audioFile(AudioFile::StereoWav);
    const AudioRead read = readAudio(path, 0);
    ASSERT_EQ(read.code, 0);
    ASSERT_EQ(read.dimensions, (std::vector<mint>{2, 66150}));
    const std::vector<int16_t> reference = ffmpegSamples(path);
    ASSERT_EQ(reference.size(), 2u * 66150);
    EXPECT_EQ(largestDifference(read, reference), 0) << "row 0 is ffmpeg's first (left) channel";

    const LinkReply properties = readAudioProperties(path);
    ASSERT_EQ(properties.code, 0);
    EXPECT_EQ(streamProperty(*properties.expression, 1, "SampleCount").integer, 44100 * 3);
    EXPECT_EQ(streamProperty(*properties.expression, 1, "BitRate").integer, 44100 * 2 * 16);
}

// The AAC stream decodes as the ffmpeg tool decodes it, to within 2 of
// 32768 (rounding of the float decoder's output), over the frames the
// container's duration gives (the last partial AAC frame may differ in
// length by up to one frame of 1024).
TEST_F(AudioReading, AacAfterVideoIsTheSecondStreamWithinTwoSteps) {
    const std::string path = audioFile(AudioFile::VideoThenAudio);
    const AudioRead read = readAudio(path, 1);
    ASSERT_EQ(read.code, 0);
    ASSERT_EQ(read.dimensions.at(0), 2);
    const std::vector<int16_t> reference = ffmpegSamples(path);
    EXPECT_NEAR(static_cast<double>(read.dimensions.at(1)), static_cast<double>(reference.size() / 2), 1024);
    EXPECT_LE(largestDifference(read, reference), 2);

    const LinkReply properties = readAudioProperties(path);
    ASSERT_EQ(properties.code, 0);
    ASSERT_EQ(properties.expression->args.size(), 1u) << "one audio stream, keyed 1";
    EXPECT_EQ(properties.expression->args[0].args[0].integer, 1);
    EXPECT_EQ(streamProperty(*properties.expression, 1, "Channels").integer, 2);
    EXPECT_NEAR(streamProperty(*properties.expression, 1, "Duration").real, 1.0, 0.05);
    EXPECT_EQ(TravexUtils::AudioCache::getOrCreate(path).audioStreams, std::vector<uint32_t>{1});
}

TEST_F(AudioReading, UnsignedEightBitIsCentredAndWidened) {
    const std::string path = audioFile(AudioFile::UnsignedWav);
    const AudioRead read = readAudio(path, 0);
    ASSERT_EQ(read.code, 0);
    EXPECT_EQ(TravexUtils::AudioCache::getOrCreate(path).bitsPerSample, 8u) << "decoded at the source's depth";
    ASSERT_EQ(read.dimensions.at(0), 1);
    ASSERT_GE(read.samples.size(), 8u);
    EXPECT_EQ(std::vector<int16_t>(read.samples.begin(), read.samples.begin() + 8),
              (std::vector<int16_t>{0, 32512, -32768, -16384, 0, 32512, -32768, -16384}));
}

TEST_F(AudioReading, TwoStreamsEachWithItsOwnPropertiesAndSamples) {
    const std::string path = audioFile(AudioFile::TwoAudioStreams);
    const LinkReply properties = readAudioProperties(path);
    ASSERT_EQ(properties.code, 0);
    ASSERT_EQ(properties.expression->args.size(), 2u);
    struct Expected {
        long long stream;
        long long channels;
        long long rate;
    };
    for (const Expected& e : {Expected{1, 2, 44100}, Expected{2, 1, 48000}}) {
        EXPECT_EQ(streamProperty(*properties.expression, e.stream, "Channels").integer, e.channels) << e.stream;
        EXPECT_EQ(streamProperty(*properties.expression, e.stream, "SampleRate").integer, e.rate) << e.stream;
        const AudioRead read = readAudio(path, e.stream);
        ASSERT_EQ(read.code, 0) << e.stream;
        EXPECT_EQ(read.dimensions.at(0), e.channels) << e.stream;
        EXPECT_EQ(read.dimensions.at(1),
                  streamProperty(*properties.expression, e.stream, "SampleCount").integer / e.channels);
    }
}

TEST_F(AudioReading, StreamNumbersZeroAndOneAreTheFirstOthersAreRefused) {
    const std::string path = audioFile(AudioFile::StereoWav);
    const AudioRead zero = readAudio(path, 0);
    const AudioRead one = readAudio(path, 1);
    ASSERT_EQ(zero.code, 0);
    EXPECT_EQ(zero.samples, one.samples);
    for (long long stream : {2LL, -1LL, 0x100000001LL /* low 32 bits: 1 */}) {
        korvel::HostArguments arguments;
        arguments.addString(path).addInteger(stream);
        TravexUtils::MArgumentManager manager(korvel::hostLibraryData(), arguments.count(), arguments.slots(),
                                              arguments.resultSlot(korvel::ResultKind::RawArray));
        std::optional<std::string> read;
        if (stream == 0x100000001LL) {
            EXPECT_NO_THROW(TravexUtils::readAudioData(manager, read));
            korvel::freeHostRawArray(arguments.result().rawArray);
            arguments.result().rawArray = nullptr;
        } else {
            EXPECT_RAISES(TravexUtils::readAudioData(manager, read), "NumericalError", "Stream index is not valid");
        }
    }
}

TEST_F(AudioReading, WiderThanSixteenBitsIsRefusedButItsPropertiesAreRead) {
    const std::string path = audioFile(AudioFile::Pcm24Wav);
    EXPECT_EQ(readAudio(path, 0).code, kMediaTypeSetError);
    const LinkReply properties = readAudioProperties(path);
    ASSERT_EQ(properties.code, 0);
    EXPECT_EQ(streamProperty(*properties.expression, 1, "BitRate").integer, 44100 * 24);
}

// A file without audio: a registered error, the entry gone, nothing left
// behind (the fixture's tear-down counts); its properties are none. Which
// files the source reader refuses is the platform's; the name of that
// step's failure is in the step table below.
TEST_F(AudioReading, BadInputGivesRegisteredErrors) {
    const std::string videoOnly = fixturePath(Fixture::H264Small);
    EXPECT_EQ(readAudio(videoOnly, 0).code, kNumericalError);
    EXPECT_FALSE(TravexUtils::AudioCache::contains(videoOnly));
    const LinkReply properties = readAudioProperties(videoOnly);
    ASSERT_EQ(properties.code, 0);
    EXPECT_TRUE(properties.expression->isFunction("Association"));
    EXPECT_TRUE(properties.expression->args.empty());
}

// A header may claim days of audio in a file of a few kilobytes; the array
// would be sized from it before anything is decoded. (Where the bound lies
// is checked on the arithmetic.)
TEST_F(AudioReading, ADurationTheFileCannotHoldIsRefusedBeforeTheArrayIsMade) {
    const std::string path = audioFile(AudioFile::StereoWav);  // 1.5 s in 265 KB
    TestControl::Quirks quirks;
    quirks.reportedDuration = int64_t{100} * 3600 * 10'000'000;  // 100 hours: 63 GB of samples
    TestControl::setQuirks(quirks);
    EXPECT_EQ(readAudio(path, 0).code, kMemoryError);
    EXPECT_EQ(korvel::hostCounters().arraysFreed, 0) << "no array was asked for";
    EXPECT_FALSE(TravexUtils::AudioCache::contains(path));
}

// A failure at each platform step of a read: its registered error, and the
// failing call's references all given back.
TEST_F(AudioReading, EachPlatformStepFailsWithItsNamedError) {
    struct Case {
        const char* call;
        int occurrence;
        const char* error;
        const char* debugText;
    };
    const Case cases[] = {
        {"MFStartup", 1, "MFLibraryStartError", "Can't start MF library"},
        {"MFCreateSourceReaderFromURL", 1, "MFObjectCreateError", "Can't create source reader from url"},
        {"MFCreateMediaType", 1, "MFObjectCreateError", "Can't create audio type"},
        {"IMFAttributes::SetGUID", 2, "MFropertySetError", "Can't set audio subtype"},
        {"IMFSourceReader::SetCurrentMediaType", 1, "MFropertySetError", "Can't set current audio type"},
        {"IMFSourceReader::GetPresentationAttribute", 1, "MFPropertyGetError", "Can't get duration"},
        {"IMFSourceReader::SetStreamSelection", 2, "MFropertySetError", "Can't set stream selection"},
        {"IMFSourceReader::ReadSample", 2, "MFSampleReadError", "Can't read the sample"},
        {"IMFSample::ConvertToContiguousBuffer", 1, "MFBufferConversionError", "Can't convert sample to buffer"},
        {"IMFMediaBuffer::Lock", 1, "MFLockUnlockError", "Can't lock the buffer for reading the data"},
    };
    const std::string path = audioFile(AudioFile::StereoWav);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        TravexUtils::AudioCache::clear();
        TestControl::reset();
        TestControl::failCall(c.call, E_FAIL, c.occurrence);
        korvel::HostArguments arguments;
        arguments.addString(path).addInteger(0);
        {
            TravexUtils::MArgumentManager manager(korvel::hostLibraryData(), arguments.count(), arguments.slots(),
                                                  arguments.resultSlot(korvel::ResultKind::RawArray));
            std::optional<std::string> read;
            EXPECT_RAISES(TravexUtils::readAudioData(manager, read), c.error, c.debugText);
        }
        TravexUtils::AudioCache::clear();
        EXPECT_EQ(TestControl::liveObjects(), 0);
    }
}

}  // namespace
