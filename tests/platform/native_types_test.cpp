// Stream indexing and selection, compressed samples before an output type
// is set, and which output types the source reader takes. The native types'
// facts against ffprobe are checked through the video reader
// (tests/video_read/mf_video_reader_properties_test.cpp).
#include <gtest/gtest.h>

#include "media_probes.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

TEST(NativeTypes, AudioFirstFileStillReadsItsFirstVideoStream) {
    ReaderSession session;
    ComPtr<IMFSourceReader> reader;
    ASSERT_EQ(session.open(fixturePath(Fixture::AudioFirstMp4), reader), S_OK);
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
    const auto frames = probeVideoFrameTimes(path);
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
    EXPECT_EQ(count, frames.size()) << "one packet a frame";
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
