// Native (compressed) types as the Windows source reports them, checked
// against ffprobe's view of the same files; stream indexing and selection.
#include <gtest/gtest.h>

#include "media_probes.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

struct NativeCase {
    Fixture fixture;
    GUID subtype;
};

class NativeVideoType : public ::testing::TestWithParam<NativeCase> {};

TEST_P(NativeVideoType, MatchesFfprobe) {
    const std::string path = fixturePath(GetParam().fixture);
    std::map<std::string, std::string> probed;
    for (const auto& stream : probeStreams(path)) {
        if (stream.at("codec_type") == "video") {
            probed = stream;
            break;
        }
    }
    ASSERT_FALSE(probed.empty());
    ReaderSession session;
    ComPtr<IMFSourceReader> reader;
    ASSERT_EQ(session.open(path, reader), S_OK);
    ComPtr<IMFMediaType> type;
    ASSERT_EQ(reader->GetNativeMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, 0, &type), S_OK);

    GUID major{};
    GUID subtype{};
    ASSERT_EQ(type->GetGUID(MF_MT_MAJOR_TYPE, &major), S_OK);
    ASSERT_EQ(type->GetGUID(MF_MT_SUBTYPE, &subtype), S_OK);
    EXPECT_EQ(major, MFMediaType_Video);
    EXPECT_EQ(subtype, GetParam().subtype) << probed.at("codec_name");

    UINT64 size = 0;
    ASSERT_EQ(type->GetUINT64(MF_MT_FRAME_SIZE, &size), S_OK);
    EXPECT_EQ(HI32(size), std::stoul(probed.at("width")));
    EXPECT_EQ(LO32(size), std::stoul(probed.at("height")));

    UINT32 numerator = 0;
    UINT32 denominator = 0;
    ASSERT_EQ(MFGetAttributeRatio(type.get(), MF_MT_FRAME_RATE, &numerator, &denominator), S_OK);
    EXPECT_EQ(std::to_string(numerator) + "/" + std::to_string(denominator), probed.at("avg_frame_rate"));

    UINT32 bitRate = 0;
    const HRESULT bitRateResult = type->GetUINT32(MF_MT_AVG_BITRATE, &bitRate);
    if (probed.at("bit_rate") == "N/A") {
        EXPECT_EQ(bitRateResult, MF_E_ATTRIBUTENOTFOUND);
    } else {
        ASSERT_EQ(bitRateResult, S_OK);
        EXPECT_EQ(bitRate, std::stoul(probed.at("bit_rate")));
    }

    // Until an output type is set, the current type is the native one.
    ComPtr<IMFMediaType> current;
    ASSERT_EQ(reader->GetCurrentMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, &current), S_OK);
    DWORD equal = 0;
    EXPECT_EQ(current->IsEqual(type.get(), &equal), S_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, NativeVideoType,
    ::testing::Values(NativeCase{Fixture::H264Small, MFVideoFormat_H264}, NativeCase{Fixture::Mpeg4Avi, MFVideoFormat_MP4V},
                      NativeCase{Fixture::Vp9Webm, MFVideoFormat_VP90}, NativeCase{Fixture::MjpegAvi, MFVideoFormat_MJPG},
                      NativeCase{Fixture::RgbAvi, MFVideoFormat_RGB24},
                      NativeCase{Fixture::AudioFirstMp4, MFVideoFormat_H264}),
    [](const auto& instance) { return fixtureName(instance.param.fixture); });

TEST(NativeTypes, AudioFirstFileStillFindsItsFirstVideoStream) {
    const std::string path = fixturePath(Fixture::AudioFirstMp4);
    const auto probed = probeStreams(path);
    ASSERT_EQ(probed.size(), 2u);
    ASSERT_EQ(probed[0].at("codec_type"), "audio");
    ReaderSession session;
    ComPtr<IMFSourceReader> reader;
    ASSERT_EQ(session.open(path, reader), S_OK);

    ComPtr<IMFMediaType> audio;
    ASSERT_EQ(reader->GetNativeMediaType(0, 0, &audio), S_OK);
    GUID major{};
    GUID subtype{};
    UINT32 channels = 0;
    UINT32 rate = 0;
    ASSERT_EQ(audio->GetGUID(MF_MT_MAJOR_TYPE, &major), S_OK);
    ASSERT_EQ(audio->GetGUID(MF_MT_SUBTYPE, &subtype), S_OK);
    EXPECT_EQ(major, MFMediaType_Audio);
    EXPECT_EQ(subtype, MFAudioFormat_AAC);
    ASSERT_EQ(audio->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels), S_OK);
    ASSERT_EQ(audio->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate), S_OK);
    EXPECT_EQ(std::to_string(channels), probed[0].at("channels"));
    EXPECT_EQ(std::to_string(rate), probed[0].at("sample_rate"));

    ASSERT_EQ(setRgb32(reader.get()), S_OK);
    DWORD actual = 99;
    DWORD flags = 0;
    LONGLONG time = 0;
    ComPtr<IMFSample> sample;
    ASSERT_EQ(reader->ReadSample(MF_SOURCE_READER_FIRST_VIDEO_STREAM, 0, &actual, &flags, &time, &sample), S_OK);
    EXPECT_EQ(actual, 1u);
    EXPECT_TRUE(sample);
}

TEST(NativeTypes, StreamIndexingAndSelection) {
    ReaderSession session;
    ComPtr<IMFSourceReader> reader;
    ASSERT_EQ(session.open(fixturePath(Fixture::H264Small), reader), S_OK);
    ComPtr<IMFMediaType> type;
    EXPECT_EQ(reader->GetNativeMediaType(0, 1, &type), MF_E_NO_MORE_TYPES);
    EXPECT_EQ(reader->GetNativeMediaType(1, 0, &type), MF_E_INVALIDSTREAMNUMBER);
    EXPECT_EQ(reader->GetCurrentMediaType(MF_SOURCE_READER_FIRST_AUDIO_STREAM, &type), MF_E_INVALIDSTREAMNUMBER);
    EXPECT_FALSE(type);

    BOOL selected = FALSE;
    ASSERT_EQ(reader->GetStreamSelection(MF_SOURCE_READER_FIRST_VIDEO_STREAM, &selected), S_OK);
    EXPECT_TRUE(selected);
    ASSERT_EQ(reader->SetStreamSelection(MF_SOURCE_READER_ALL_STREAMS, FALSE), S_OK);
    EXPECT_EQ(readVideoSample(reader.get()).hr, MF_E_INVALIDREQUEST);
    ASSERT_EQ(reader->SetStreamSelection(0, TRUE), S_OK);
    EXPECT_EQ(readVideoSample(reader.get()).hr, S_OK);
}

TEST(NativeTypes, CompressedSamplesUntilAnOutputTypeIsSet) {
    const std::string path = fixturePath(Fixture::H264FiveFrames);
    ReaderSession session;
    ComPtr<IMFSourceReader> reader;
    ASSERT_EQ(session.open(path, reader), S_OK);
    const auto packets = probeVideoPacketTimes(path);
    size_t count = 0;
    for (;;) {
        ReadResult read = readVideoSample(reader.get());
        ASSERT_EQ(read.hr, S_OK);
        if (read.flags & MF_SOURCE_READERF_ENDOFSTREAM) break;
        ASSERT_TRUE(read.sample);
        DWORD length = 0;
        EXPECT_EQ(read.sample->GetTotalLength(&length), S_OK);
        EXPECT_GT(length, 0u);
        ++count;
    }
    EXPECT_EQ(count, packets.size());
}

struct OutputTypeCase {
    const char* name;
    GUID major;
    GUID subtype;
    bool videoProcessing;
    HRESULT expected;
};

const OutputTypeCase kOutputTypes[] = {
    {"Rgb32", MFMediaType_Video, MFVideoFormat_RGB32, true, S_OK},
    {"Argb32", MFMediaType_Video, MFVideoFormat_ARGB32, true, S_OK},
    {"NativeSubtype", MFMediaType_Video, MFVideoFormat_H264, true, S_OK},
    {"Rgb32WithoutVideoProcessing", MFMediaType_Video, MFVideoFormat_RGB32, false, MF_E_TOPO_CODEC_NOT_FOUND},
    {"AudioMajorOnVideo", MFMediaType_Audio, MFAudioFormat_PCM, true, MF_E_INVALIDMEDIATYPE},
    {"UnofferedSubtype", MFMediaType_Video, MFVideoFormat_HEVC, true, MF_E_INVALIDMEDIATYPE},
};

class OutputTypes : public ::testing::TestWithParam<OutputTypeCase> {};

TEST_P(OutputTypes, AreAcceptedOrRefusedAsOnWindows) {
    ReaderSession session;
    ComPtr<IMFSourceReader> reader;
    ASSERT_EQ(session.open(fixturePath(Fixture::H264Small), reader, GetParam().videoProcessing), S_OK);
    ComPtr<IMFMediaType> type;
    ASSERT_EQ(MFCreateMediaType(&type), S_OK);
    type->SetGUID(MF_MT_MAJOR_TYPE, GetParam().major);
    type->SetGUID(MF_MT_SUBTYPE, GetParam().subtype);
    EXPECT_EQ(reader->SetCurrentMediaType(MF_SOURCE_READER_FIRST_VIDEO_STREAM, nullptr, type.get()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Types, OutputTypes, ::testing::ValuesIn(kOutputTypes),
                         [](const auto& instance) { return std::string(instance.param.name); });

}  // namespace
}  // namespace PlatformTest
