// AAC through the sink writer as the library's audio writer feeds it:
// interleaved 16-bit PCM in chunks of at most 1024 frames whose sample times
// step by a rounded frame length (each chunk starting one unit earlier than
// the last ended). The file carries the whole signal once, in the stated
// format, readable by ffprobe and by the platform's source reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "media_probes.h"
#include "platform/linux/codec_availability.h"
#include "platform/linux/test_control.h"
#include "reader_session.h"
#include "video_writing.h"

namespace PlatformTest {
namespace {

constexpr double kUnitsPerFrame = 226.7578125;
constexpr double kAmplitude = 8000;

ComPtr<IMFMediaType> audioType(const GUID& subtype, UINT32 channels, UINT32 rate) {
    ComPtr<IMFMediaType> type;
    EXPECT_EQ(MFCreateMediaType(&type), S_OK);
    type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    type->SetGUID(MF_MT_SUBTYPE, subtype);
    type->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
    type->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, rate);
    type->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, channels);
    if (subtype == MFAudioFormat_AAC) {
        type->SetUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, 16000);
    } else {
        type->SetUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, 1);
        type->SetUINT32(MF_MT_FIXED_SIZE_SAMPLES, 1);
    }
    return type;
}

// A 440 Hz tone on every channel, interleaved.
std::vector<int16_t> tone(UINT32 channels, UINT32 rate, int frames) {
    std::vector<int16_t> values(static_cast<size_t>(frames) * channels);
    for (int f = 0; f < frames; ++f) {
        const double value = kAmplitude * std::sin(2 * M_PI * 440 * f / rate);
        for (UINT32 c = 0; c < channels; ++c) values[static_cast<size_t>(f) * channels + c] = static_cast<int16_t>(value);
    }
    return values;
}

HRESULT writeAac(const std::string& path, UINT32 channels, UINT32 rate, const std::vector<int16_t>& values) {
    ComPtr<IMFSinkWriter> writer;
    DWORD stream = 0;
    if (HRESULT hr = createSinkWriter(path, writer); FAILED(hr)) return hr;
    if (HRESULT hr = writer->AddStream(audioType(MFAudioFormat_AAC, channels, rate).get(), &stream); FAILED(hr)) {
        return hr;
    }
    if (HRESULT hr = writer->SetInputMediaType(stream, audioType(MFAudioFormat_PCM, channels, rate).get(), nullptr);
        FAILED(hr)) {
        return hr;
    }
    if (HRESULT hr = writer->BeginWriting(); FAILED(hr)) return hr;
    const size_t frames = values.size() / channels;
    LONGLONG time = 0;
    for (size_t position = 0; position < frames; position += 1024) {
        const size_t n = std::min<size_t>(1024, frames - position);
        const auto duration = static_cast<LONGLONG>(n * kUnitsPerFrame);
        if (time != 0) time -= 1;
        const auto* first = reinterpret_cast<const uint8_t*>(&values[position * channels]);
        const std::vector<uint8_t> bytes(first, first + n * channels * sizeof(int16_t));
        if (HRESULT hr = writeSample(writer.get(), stream, bytes, time, duration); FAILED(hr)) return hr;
        time += duration;
    }
    return writer->Finalize();
}

double rootMeanSquare(const std::vector<int16_t>& values) {
    double sum = 0;
    for (int16_t value : values) sum += static_cast<double>(value) * value;
    return values.empty() ? 0 : std::sqrt(sum / static_cast<double>(values.size()));
}

struct AacCase {
    const char* name;
    const char* extension;
    UINT32 channels;
    UINT32 rate;
    // Frames the source reader gives beyond the signal: the silence that
    // pads the last AAC frame (480 for 20000 frames), and in raw ADTS,
    // which cannot state the encoder's priming, that frame too (1024).
    int extraFrames;
};

void PrintTo(const AacCase& row, std::ostream* out) { *out << row.name; }

const AacCase kAacCases[] = {
    {"StereoM4a", "m4a", 2, 44100, 480},
    {"MonoMp4", "mp4", 1, 48000, 480},
    {"StereoAdts", "aac", 2, 48000, 1024 + 480},
};

class WrittenAac : public ::testing::TestWithParam<AacCase> {};

TEST_P(WrittenAac, HoldsTheWholeToneOnce) {
    const AacCase& row = GetParam();
    if (!MorvalePlatform::usableEncoder("aac")) GTEST_SKIP() << "no AAC encoder";
    constexpr int kFrames = 2500 * 8;
    ReaderSession session;
    ScratchFolder folder;
    const std::string path = folder.path(std::string("tone.") + row.extension);
    const auto values = tone(row.channels, row.rate, kFrames);
    ASSERT_EQ(writeAac(path, row.channels, row.rate, values), S_OK);
    EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), 0);

    const auto streams = probeStreams(path);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].at("codec_name"), "aac");
    EXPECT_EQ(streams[0].at("channels"), std::to_string(row.channels));
    EXPECT_EQ(streams[0].at("sample_rate"), std::to_string(row.rate));
    const double seconds = static_cast<double>(kFrames) / row.rate;
    EXPECT_NEAR(static_cast<double>(probeDuration100ns(path)) / 1e7, seconds, 0.05);

    ComPtr<IMFSourceReader> reader;
    ASSERT_EQ(session.open(path, reader, false), S_OK);
    ASSERT_EQ(reader->SetCurrentMediaType(MF_SOURCE_READER_FIRST_AUDIO_STREAM, nullptr,
                                          audioType(MFAudioFormat_PCM, row.channels, row.rate).get()),
              S_OK);
    std::vector<int16_t> decoded;
    for (;;) {
        DWORD flags = 0;
        ComPtr<IMFSample> sample;
        ASSERT_EQ(reader->ReadSample(MF_SOURCE_READER_FIRST_AUDIO_STREAM, 0, nullptr, &flags, nullptr, &sample), S_OK);
        if ((flags & MF_SOURCE_READERF_ENDOFSTREAM) || !sample) break;
        const auto bytes = sampleBytes(sample.get());
        const size_t before = decoded.size();
        decoded.resize(before + bytes.size() / 2);
        std::memcpy(&decoded[before], bytes.data(), bytes.size() / 2 * 2);
    }
    EXPECT_EQ(decoded.size() / row.channels, static_cast<size_t>(kFrames + row.extraFrames));
    EXPECT_NEAR(rootMeanSquare(decoded), kAmplitude / std::sqrt(2.0), kAmplitude * 0.05);
}

INSTANTIATE_TEST_SUITE_P(Containers, WrittenAac, ::testing::ValuesIn(kAacCases),
                         [](const auto& instance) { return std::string(instance.param.name); });

TEST(AacSinkWriter, RefusesContainersAndInputsThatDoNotFit) {
    ReaderSession session;
    ScratchFolder folder;
    ComPtr<IMFSinkWriter> writer;
    DWORD stream = 0;
    ASSERT_EQ(createSinkWriter(folder.path("tone.mp3"), writer), S_OK);
    EXPECT_EQ(writer->AddStream(audioType(MFAudioFormat_AAC, 2, 44100).get(), &stream), MF_E_INVALIDMEDIATYPE);
    writer.reset();
    ASSERT_EQ(createSinkWriter(folder.path("tone.m4a"), writer), S_OK);
    ComPtr<IMFMediaType> output = audioType(MFAudioFormat_AAC, 2, 44100);
    output->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 24);
    EXPECT_EQ(writer->AddStream(output.get(), &stream), MF_E_INVALIDMEDIATYPE);
    ASSERT_EQ(writer->AddStream(audioType(MFAudioFormat_AAC, 2, 44100).get(), &stream), S_OK);
    EXPECT_EQ(writer->SetInputMediaType(stream, audioType(MFAudioFormat_PCM, 1, 44100).get(), nullptr),
              MF_E_INVALIDMEDIATYPE);
    EXPECT_EQ(writer->SetInputMediaType(stream, audioType(MFAudioFormat_PCM, 2, 48000).get(), nullptr),
              MF_E_INVALIDMEDIATYPE);
    EXPECT_EQ(writer->SetInputMediaType(stream, audioType(MFAudioFormat_Float, 2, 44100).get(), nullptr),
              MF_E_INVALIDMEDIATYPE);
    EXPECT_EQ(writer->SetInputMediaType(stream, audioType(MFAudioFormat_PCM, 2, 44100).get(), nullptr), S_OK);
}

}  // namespace
}  // namespace PlatformTest
