// Files that are not readable media fail to open with the result Windows
// gives, leave no object behind and do not crash.
#include <gtest/gtest.h>

#include "media_probes.h"
#include "platform/linux/test_control.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

struct BadInput {
    const char* name;
    std::string (*path)();
    HRESULT expected;
};

const BadInput kBadInputs[] = {
    {"MissingFile", [] { return std::string(MORVALE_FIXTURE_DIR) + "/no-such-file.mp4"; },
     HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
    {"MissingFolder", [] { return std::string(MORVALE_FIXTURE_DIR) + "/no-such-folder/clip.mp4"; },
     HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)},
    {"Folder", [] { return std::string(MORVALE_FIXTURE_DIR); }, E_ACCESSDENIED},
    {"EmptyFile", [] { return fixturePath(Fixture::Empty); }, MF_E_UNSUPPORTED_BYTESTREAM_TYPE},
    {"TextFile", [] { return fixturePath(Fixture::Text); }, MF_E_UNSUPPORTED_BYTESTREAM_TYPE},
    {"TruncatedMp4", [] { return fixturePath(Fixture::Truncated); }, MF_E_UNSUPPORTED_BYTESTREAM_TYPE},
    {"OtherScheme", [] { return std::string("http://localhost/clip.mp4"); }, MF_E_UNSUPPORTED_SCHEME},
};

class BadInputs : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputs, FailToOpenWithTheWindowsResult) {
    const std::string path = GetParam().path();
    {
        ReaderSession session;
        ComPtr<IMFSourceReader> reader;
        EXPECT_EQ(session.open(path, reader), GetParam().expected) << path;
        EXPECT_FALSE(reader);
    }
    EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), 0);
}

INSTANTIATE_TEST_SUITE_P(Files, BadInputs, ::testing::ValuesIn(kBadInputs),
                         [](const auto& instance) { return std::string(instance.param.name); });

// A file whose index survived but whose data is cut short opens; its
// stream ends where the data ends, without a failure.
TEST(BadInput, TruncatedDataEndsTheStreamEarly) {
    const std::string bytes = morvale_test::fileBytes(fixturePath(Fixture::H264FastStart));
    const std::string path = writeFixtureFile("truncated_faststart.mp4", bytes.substr(0, bytes.size() / 2));
    {
        ReaderSession session;
        auto reader = session.openRgb32(path);
        ASSERT_TRUE(reader);
        int frames = 0;
        for (;;) {
            ReadResult read = readVideoSample(reader.get());
            ASSERT_EQ(read.hr, S_OK);
            if (read.flags & MF_SOURCE_READERF_ENDOFSTREAM) break;
            if (read.sample) {
                sampleBytes(read.sample.get());
                ++frames;
            }
        }
        EXPECT_GT(frames, 0);
        EXPECT_LT(frames, 50);
    }
    EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), 0);
}

}  // namespace
}  // namespace PlatformTest
