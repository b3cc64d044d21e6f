// Decoding audio to PCM: the samples against the ffmpeg tool's own decode,
// the current type, channel and format requests, and times. The streams of a
// file, walked by index, are read through the audio reader (tests/audio).
#include <gtest/gtest.h>

#include <cstring>

#include "media_probes.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

HRESULT setPcm(IMFSourceReader* reader, const GUID& subtype, UINT32 channels, UINT32 bits) {
    ComPtr<IMFMediaType> type;
    if (HRESULT hr = MFCreateMediaType(&type); FAILED(hr)) return hr;
    type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    type->SetGUID(MF_MT_SUBTYPE, subtype);
    if (channels) type->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, channels);
    if (bits) type->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, bits);
    return reader->SetCurrentMediaType(MF_SOURCE_READER_FIRST_AUDIO_STREAM, nullptr, type.get());
}

struct AudioRead {
    std::vector<uint8_t> bytes;
    std::vector<LONGLONG> times;
    LONGLONG totalDuration = 0;
};

AudioRead readAllAudio(IMFSourceReader* reader) {
    AudioRead read;
    for (;;) {
        DWORD flags = 0;
        ComPtr<IMFSample> sample;
        EXPECT_EQ(reader->ReadSample(MF_SOURCE_READER_FIRST_AUDIO_STREAM, 0, nullptr, &flags, nullptr, &sample), S_OK);
        if (flags & MF_SOURCE_READERF_ENDOFSTREAM) break;
        if (!sample) break;
        LONGLONG time = 0;
        LONGLONG duration = 0;
        EXPECT_EQ(sample->GetSampleTime(&time), S_OK);
        EXPECT_EQ(sample->GetSampleDuration(&duration), S_OK);
        read.times.push_back(time);
        read.totalDuration += duration;
        const auto bytes = sampleBytes(sample.get());
        read.bytes.insert(read.bytes.end(), bytes.begin(), bytes.end());
    }
    return read;
}

class PcmOutput : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = fixturePath(Fixture::AudioFirstMp4);
        ASSERT_EQ(session_.open(path_, reader_), S_OK);
        ASSERT_EQ(reader_->SetStreamSelection(MF_SOURCE_READER_ALL_STREAMS, FALSE), S_OK);
        ASSERT_EQ(reader_->SetStreamSelection(MF_SOURCE_READER_FIRST_AUDIO_STREAM, TRUE), S_OK);
    }

    std::string path_;
    ReaderSession session_;
    ComPtr<IMFSourceReader> reader_;
};

// Every output format against the ffmpeg tool's conversion of the same
// decode: 24-bit samples are the upper three bytes of the 32-bit ones,
// packed with no gap between samples or channels.
TEST_F(PcmOutput, EverySampleFormatMatchesTheFfmpegTool) {
    struct Case {
        const char* name;
        GUID subtype;
        UINT32 channels;  // 0: the file's
        UINT32 bits;      // 0: the format's default
        UINT32 expectedBits;
        const char* ffmpegFormat;
    };
    const Case cases[] = {
        {"16-bit", MFAudioFormat_PCM, 0, 0, 16, "s16le"},
        {"8-bit", MFAudioFormat_PCM, 0, 8, 8, "u8"},
        {"24-bit", MFAudioFormat_PCM, 0, 24, 24, "s24le"},
        {"32-bit", MFAudioFormat_PCM, 0, 32, 32, "s32le"},
        {"float", MFAudioFormat_Float, 0, 0, 32, "f32le"},
        {"24-bit stereo", MFAudioFormat_PCM, 2, 24, 24, "s24le -ac 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IMFSourceReader> reader;  // a fresh decode for each format
        ASSERT_EQ(session_.open(path_, reader), S_OK);
        ASSERT_EQ(reader->SetStreamSelection(MF_SOURCE_READER_ALL_STREAMS, FALSE), S_OK);
        ASSERT_EQ(reader->SetStreamSelection(MF_SOURCE_READER_FIRST_AUDIO_STREAM, TRUE), S_OK);
        ASSERT_EQ(setPcm(reader.get(), c.subtype, c.channels, c.bits), S_OK);
        const UINT32 channels = c.channels != 0 ? c.channels : 1;
        ComPtr<IMFMediaType> current;
        ASSERT_EQ(reader->GetCurrentMediaType(MF_SOURCE_READER_FIRST_AUDIO_STREAM, &current), S_OK);
        EXPECT_EQ(MFGetAttributeUINT32(current.get(), MF_MT_AUDIO_BITS_PER_SAMPLE, 0), c.expectedBits);
        EXPECT_EQ(MFGetAttributeUINT32(current.get(), MF_MT_AUDIO_NUM_CHANNELS, 0), channels);
        EXPECT_EQ(MFGetAttributeUINT32(current.get(), MF_MT_AUDIO_SAMPLES_PER_SECOND, 0), 44100u);
        const UINT32 blockAlign = channels * c.expectedBits / 8;
        EXPECT_EQ(MFGetAttributeUINT32(current.get(), MF_MT_AUDIO_BLOCK_ALIGNMENT, 0), blockAlign);

        const AudioRead read = readAllAudio(reader.get());
        const std::string reference = runCommand("ffmpeg -nostdin -loglevel error -i '" + path_ +
                                                 "' -map 0:a:0 -f " + c.ffmpegFormat + " -");
        ASSERT_GT(reference.size(), 0u);
        ASSERT_EQ(read.bytes.size(), reference.size());
        EXPECT_EQ(std::memcmp(read.bytes.data(), reference.data(), reference.size()), 0);
        EXPECT_EQ(read.times.front(), 0);
        for (size_t i = 1; i < read.times.size(); ++i) EXPECT_GT(read.times[i], read.times[i - 1]);
        EXPECT_NEAR(static_cast<double>(read.totalDuration),
                    1e7 * static_cast<double>(reference.size()) / (blockAlign * 44100.0), 1e3);
    }
}

TEST_F(PcmOutput, UnsupportedSampleSizesAreRefused) {
    EXPECT_EQ(setPcm(reader_.get(), MFAudioFormat_PCM, 0, 12), MF_E_INVALIDMEDIATYPE);
    EXPECT_EQ(setPcm(reader_.get(), MFAudioFormat_Float, 0, 16), MF_E_INVALIDMEDIATYPE);
    EXPECT_EQ(setPcm(reader_.get(), MFAudioFormat_PCM, 9, 16), MF_E_INVALIDMEDIATYPE);
}

}  // namespace
}  // namespace PlatformTest
