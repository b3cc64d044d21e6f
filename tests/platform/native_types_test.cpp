// Stream indexing and selection, and which output types the source reader
// takes. The native types' facts against ffprobe are checked through the
// video reader (tests/video_read/mf_video_reader_properties_test.cpp); the
// first video stream of a file whose audio comes first is read in
// lazy_decoding_test.cpp.
#include <gtest/gtest.h>

#include "media_probes.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

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
