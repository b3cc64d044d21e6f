// The audio cache as the host sees it: DeleteAudioCache's answers, and
// properties worked out once per entry (so kept for a file changed on disk
// until its entry is deleted) and again after an error dropped it.
#include <gtest/gtest.h>

#include <filesystem>

#include "audio/audio_cache.h"
#include "audio_test_support.h"
#include "platform/linux/test_control.h"
#include "tests/support/media_fixtures.h"

using namespace morvale_test;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

class AudioCacheExports : public AudioTest {};

TEST_F(AudioCacheExports, DeleteAnswersWhetherAnEntryWasThere) {
    const std::string path = audioFile(AudioFile::StereoWav);
    EXPECT_FALSE(deleteAudioCache(path));
    ASSERT_EQ(readAudio(path, 0).code, 0);
    EXPECT_TRUE(deleteAudioCache(path));
    EXPECT_FALSE(deleteAudioCache(path));
    EXPECT_TRUE(deleteAudioCache("")) << "clearing an empty cache";

    // The same file through another path string is another entry.
    const std::filesystem::path file(path);
    ASSERT_EQ(readAudioProperties(path).code, 0);
    ASSERT_EQ(readAudioProperties((file.parent_path() / "." / file.filename()).string()).code, 0);
    EXPECT_EQ(TravexUtils::AudioCache::size(), 2u);
    EXPECT_TRUE(deleteAudioCache(""));
    EXPECT_EQ(TravexUtils::AudioCache::size(), 0u);
}

TEST_F(AudioCacheExports, PropertiesAreWorkedOutOnceAndAgainAfterAnError) {
    const std::string path = audioFile(AudioFile::StereoWav);
    ASSERT_EQ(readAudioProperties(path).code, 0);
    ASSERT_EQ(readAudio(path, 0).code, 0);
    EXPECT_EQ(TestControl::callCount("IMFSourceReader::GetPresentationAttribute"), 1);

    ASSERT_EQ(readAudio(path, 7).code, 4);  // a registered error drops the entry
    EXPECT_FALSE(TravexUtils::AudioCache::contains(path));
    ASSERT_EQ(readAudioProperties(path).code, 0);
    EXPECT_EQ(TestControl::callCount("IMFSourceReader::GetPresentationAttribute"), 2);
}

}  // namespace
