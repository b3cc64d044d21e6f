// The sink writer's failures: paths it cannot write, types it cannot take,
// calls out of order and failures injected at every step. Each gives a
// result (never a crash) and leaves no COM object alive.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/linux/codec_availability.h"
#include "platform/linux/test_control.h"
#include "reader_session.h"
#include "video_writing.h"

namespace PlatformTest {
namespace {

namespace fs = std::filesystem;
using MorvalePlatform::TestControl::liveObjects;

struct PathCase {
    const char* name;
    std::function<std::string(const ScratchFolder&)> path;
    HRESULT expected;
};

void PrintTo(const PathCase& row, std::ostream* out) { *out << row.name; }

const PathCase kPathCases[] = {
    {"UnknownExtension", [](const ScratchFolder& f) { return f.path("clip.xyz"); }, MF_E_UNSUPPORTED_BYTESTREAM_TYPE},
    {"NoExtension", [](const ScratchFolder& f) { return f.path("clip"); }, MF_E_UNSUPPORTED_BYTESTREAM_TYPE},
    {"Folder",
     [](const ScratchFolder& f) {
         fs::create_directories(f.path("folder.mp4"));
         return f.path("folder.mp4");
     },
     E_ACCESSDENIED},
    {"MissingFolder", [](const ScratchFolder& f) { return f.path("missing/clip.mp4"); },
     HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)},
    // Not writable even for root.
    {"Unwritable", [](const ScratchFolder&) { return std::string("/sys/morvale-unwritable.mp4"); }, E_ACCESSDENIED},
    {"OtherScheme", [](const ScratchFolder&) { return std::string("http://localhost/clip.mp4"); },
     MF_E_UNSUPPORTED_SCHEME},
};

class UnwritablePaths : public ::testing::TestWithParam<PathCase> {};

TEST_P(UnwritablePaths, FailCreationWithThePlatformsResult) {
    ReaderSession session;
    ScratchFolder folder;
    const std::string path = GetParam().path(folder);
    const bool existed = fs::exists(path);
    ComPtr<IMFSinkWriter> writer;
    EXPECT_EQ(createSinkWriter(path, writer), GetParam().expected);
    EXPECT_FALSE(writer);
    EXPECT_EQ(fs::exists(path), existed) << "no file may be left";
    EXPECT_EQ(liveObjects(), 0);
}

INSTANTIATE_TEST_SUITE_P(Paths, UnwritablePaths, ::testing::ValuesIn(kPathCases),
                         [](const auto& instance) { return std::string(instance.param.name); });

TEST(SinkWriterCreation, RefusesWhatWindowsWouldNotTake) {
    ScratchFolder folder;
    ComPtr<IMFSinkWriter> writer;
    EXPECT_EQ(createSinkWriter(folder.path("early.mp4"), writer), MF_E_PLATFORM_NOT_INITIALIZED);
    ReaderSession session;
    const wchar_t unpaired[] = {L'/', L't', L'm', L'p', L'/', static_cast<wchar_t>(0xD800), L'.', L'm', L'p', L'4', 0};
    EXPECT_EQ(MFCreateSinkWriterFromURL(unpaired, nullptr, nullptr, &writer), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    ComPtr<IMFAttributes> attributes;
    ASSERT_EQ(MFCreateAttributes(&attributes, 1), S_OK);
    EXPECT_EQ(MFCreateSinkWriterFromURL(L"/tmp/a.mp4", nullptr, attributes.get(), &writer), E_INVALIDARG);
    EXPECT_EQ(MFCreateSinkWriterFromURL(L"/tmp/a.mp4", nullptr, nullptr, nullptr), E_POINTER);
}

TEST(SinkWriterCreation, CreatesTheFileAtOnceAndAcceptsFileUrls) {
    ReaderSession session;
    ScratchFolder folder;
    const std::string path = folder.path("created.MP4");
    ComPtr<IMFSinkWriter> writer;
    ASSERT_EQ(createSinkWriter("file://" + path, writer), S_OK);
    EXPECT_TRUE(fs::exists(path));
}

// The step of the set-up that fails and how.
enum class Step { AddStream, SetInputMediaType, BeginWriting };

struct TypeCase {
    const char* name;
    const char* extension;
    VideoFormat format;
    std::function<void(IMFMediaType* output, IMFMediaType* input)> change;
    const char* missingCodec;  // made missing for the case, or null
    Step failingStep;
    HRESULT expected;
};

void noChange(IMFMediaType*, IMFMediaType*) {}

void PrintTo(const TypeCase& row, std::ostream* out) { *out << row.name; }

const TypeCase kTypeCases[] = {
    {"RawRgbInMp4", "mp4", {MFVideoFormat_RGB24}, noChange, nullptr, Step::AddStream, MF_E_INVALIDMEDIATYPE},
    {"VideoInWav", "wav", {MFVideoFormat_H264}, noChange, nullptr, Step::AddStream, MF_E_INVALIDMEDIATYPE},
    {"SubtypeWithoutCodec", "mp4", {MFVideoFormat_NV12}, noChange, nullptr, Step::AddStream, MF_E_INVALIDMEDIATYPE},
    {"NoFrameRate", "mp4", {MFVideoFormat_H264},
     [](IMFMediaType* output, IMFMediaType*) { output->DeleteItem(MF_MT_FRAME_RATE); }, nullptr, Step::AddStream,
     MF_E_INVALIDMEDIATYPE},
    {"NoFrameSize", "mp4", {MFVideoFormat_H264},
     [](IMFMediaType* output, IMFMediaType*) { output->DeleteItem(MF_MT_FRAME_SIZE); }, nullptr, Step::AddStream,
     MF_E_INVALIDMEDIATYPE},
    {"Interlaced", "mp4", {MFVideoFormat_H264},
     [](IMFMediaType* output, IMFMediaType*) {
         output->SetUINT32(MF_MT_INTERLACE_MODE, MFVideoInterlace_FieldInterleavedUpperFirst);
     },
     nullptr, Step::AddStream, MF_E_INVALIDMEDIATYPE},
    {"AudioSubtypeAsVideo", "mp4", {MFAudioFormat_AAC}, noChange, nullptr, Step::AddStream, MF_E_INVALIDMEDIATYPE},
    {"MissingEncoder", "mp4", {MFVideoFormat_H264}, noChange, "libx264", Step::SetInputMediaType,
     MF_E_TOPO_CODEC_NOT_FOUND},
    {"DecoderOnlySubtype", "wmv", {MFVideoFormat_WMV3}, noChange, nullptr, Step::SetInputMediaType,
     MF_E_TOPO_CODEC_NOT_FOUND},
    // H.263 has fixed picture sizes; 160x120 is none of them.
    {"EncoderRefusesTheSize", "avi", {MFVideoFormat_H263}, noChange, nullptr, Step::SetInputMediaType,
     MF_E_TOPO_CODEC_NOT_FOUND},
    {"InputNotRgb", "avi", {MFVideoFormat_MJPG},
     [](IMFMediaType*, IMFMediaType* input) { input->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_NV12); }, nullptr,
     Step::SetInputMediaType, MF_E_INVALIDMEDIATYPE},
    {"InputSizeDiffers", "avi", {MFVideoFormat_MJPG},
     [](IMFMediaType*, IMFMediaType* input) { MFSetAttributeSize(input, MF_MT_FRAME_SIZE, 320, 240); }, nullptr,
     Step::SetInputMediaType, MF_E_INVALIDMEDIATYPE},
};

class UnacceptableTypes : public ::testing::TestWithParam<TypeCase> {
protected:
    // A codec made missing stays missing for the rest of the process.
    void TearDown() override { MorvalePlatform::TestControl::reset(); }
};

TEST_P(UnacceptableTypes, FailAtTheirStepWithThePlatformsResult) {
    const TypeCase& row = GetParam();
    if (row.missingCodec) MorvalePlatform::TestControl::setCodecMissing(row.missingCodec, true);
    {
        ReaderSession session;
        ScratchFolder folder;
        ComPtr<IMFSinkWriter> writer;
        ASSERT_EQ(createSinkWriter(folder.path(std::string("clip.") + row.extension), writer), S_OK);
        ComPtr<IMFMediaType> output = videoOutputType(row.format);
        ComPtr<IMFMediaType> input = rgb32InputType(row.format);
        row.change(output.get(), input.get());
        DWORD stream = 0;
        const HRESULT added = writer->AddStream(output.get(), &stream);
        if (row.failingStep == Step::AddStream) {
            EXPECT_EQ(added, row.expected);
        } else {
            ASSERT_EQ(added, S_OK);
            EXPECT_EQ(writer->SetInputMediaType(stream, input.get(), nullptr), row.expected);
            EXPECT_EQ(writer->BeginWriting(), MF_E_INVALIDREQUEST) << "a stream without input type cannot begin";
        }
    }
    EXPECT_EQ(liveObjects(), 0);
}

INSTANTIATE_TEST_SUITE_P(Types, UnacceptableTypes, ::testing::ValuesIn(kTypeCases),
                         [](const auto& instance) { return std::string(instance.param.name); });

TEST(SinkWriterOrder, CallsOutOfOrderAreInvalidRequests) {
    ReaderSession session;
    ScratchFolder folder;
    const VideoFormat format{MFVideoFormat_RGB24, 16, 16};
    const auto buffer = bottomUpBuffer(movingPicture(16, 16, 0), 16, 16);
    ComPtr<IMFSinkWriter> writer;
    ASSERT_EQ(createSinkWriter(folder.path("order.avi"), writer), S_OK);
    EXPECT_EQ(writer->BeginWriting(), MF_E_INVALIDREQUEST) << "no stream";
    EXPECT_EQ(writer->Finalize(), MF_E_INVALIDREQUEST) << "not begun";
    DWORD stream = 0;
    ASSERT_EQ(writer->AddStream(videoOutputType(format).get(), &stream), S_OK);
    EXPECT_EQ(writer->SetInputMediaType(stream + 1, rgb32InputType(format).get(), nullptr), MF_E_INVALIDSTREAMNUMBER);
    ASSERT_EQ(writer->SetInputMediaType(stream, rgb32InputType(format).get(), nullptr), S_OK);
    EXPECT_EQ(writeSample(writer.get(), stream, buffer, 0, 400000), MF_E_INVALIDREQUEST) << "not begun";
    ASSERT_EQ(writer->BeginWriting(), S_OK);
    EXPECT_EQ(writer->BeginWriting(), MF_E_INVALIDREQUEST);
    DWORD another = 0;
    EXPECT_EQ(writer->AddStream(videoOutputType(format).get(), &another), MF_E_INVALIDREQUEST);
    EXPECT_EQ(writeSample(writer.get(), stream + 1, buffer, 0, 400000), MF_E_INVALIDSTREAMNUMBER);
    EXPECT_EQ(writeSample(writer.get(), stream, {1, 2, 3}, 0, 400000), E_INVALIDARG) << "buffer too short";
    ComPtr<IMFSample> untimed;
    ASSERT_EQ(MFCreateSample(&untimed), S_OK);
    EXPECT_EQ(writer->WriteSample(stream, untimed.get()), MF_E_NO_SAMPLE_TIMESTAMP);
    EXPECT_EQ(writer->Finalize(), MF_E_SINK_NO_SAMPLES_PROCESSED);
    EXPECT_EQ(writer->Finalize(), MF_E_INVALIDREQUEST);
    EXPECT_EQ(writeSample(writer.get(), stream, buffer, 0, 400000), MF_E_INVALIDREQUEST) << "finalized";
}

TEST(SinkWriterRelease, UnfinalizedWriterFreesEverythingAndLeavesTheFileIncomplete) {
    if (!MorvalePlatform::usableEncoder("libx264")) GTEST_SKIP() << "libx264 is not available";
    ScratchFolder folder;
    const std::string path = folder.path("unfinished.mp4");
    {
        ReaderSession session;
        const VideoFormat format{MFVideoFormat_H264};
        ComPtr<IMFSinkWriter> writer;
        DWORD stream = 0;
        ASSERT_EQ(beginVideo(path, format, writer, stream), S_OK);
        for (int i = 0; i < 5; ++i) {
            const auto buffer = bottomUpBuffer(movingPicture(format.width, format.height, i), format.width,
                                               format.height);
            ASSERT_EQ(writeSample(writer.get(), stream, buffer, i * 400000LL, 400000), S_OK);
        }
    }
    EXPECT_EQ(liveObjects(), 0);
    EXPECT_TRUE(fs::exists(path));
    ReaderSession session;
    ComPtr<IMFSourceReader> reader;
    EXPECT_EQ(session.open(path, reader), MF_E_UNSUPPORTED_BYTESTREAM_TYPE) << "an MP4 file without its index";
}

struct InjectedStep {
    const char* call;
    int occurrence;
};

void PrintTo(const InjectedStep& row, std::ostream* out) { *out << row.call << " #" << row.occurrence; }

const InjectedStep kInjectedSteps[] = {
    {"MFCreateSinkWriterFromURL", 1},       {"IMFSinkWriter::AddStream", 1},
    {"IMFSinkWriter::SetInputMediaType", 1}, {"IMFSinkWriter::BeginWriting", 1},
    {"IMFSinkWriter::WriteSample", 1},       {"IMFSinkWriter::WriteSample", 7},
    {"IMFSinkWriter::Finalize", 1},
};

class InjectedWriterFailures : public ::testing::TestWithParam<InjectedStep> {};

TEST_P(InjectedWriterFailures, SurfaceAndLeakNothing) {
    if (!MorvalePlatform::usableEncoder("libx264")) GTEST_SKIP() << "libx264 is not available";
    {
        ReaderSession session;
        ScratchFolder folder;
        MorvalePlatform::TestControl::reset();
        MorvalePlatform::TestControl::failCall(GetParam().call, MF_E_NOTACCEPTING, GetParam().occurrence);
        const VideoFormat format{MFVideoFormat_H264};
        EXPECT_EQ(writeMovingVideo(folder.path("injected.mp4"), format, evenDurations(format, 10)),
                  MF_E_NOTACCEPTING);
        EXPECT_EQ(MorvalePlatform::TestControl::callCount(GetParam().call), GetParam().occurrence);
    }
    EXPECT_EQ(liveObjects(), 0);
}

INSTANTIATE_TEST_SUITE_P(Calls, InjectedWriterFailures, ::testing::ValuesIn(kInjectedSteps), [](const auto& instance) {
    std::string name = std::string(instance.param.call) + "_" + std::to_string(instance.param.occurrence);
    for (char& c : name) {
        if (c == ':') c = '_';
    }
    return name;
});

}  // namespace
}  // namespace PlatformTest
