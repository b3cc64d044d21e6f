// The audio cache as the host sees it: DeleteAudioCache's answers, entries
// dropped after errors, and properties kept for a file changed on disk
// until its entry is deleted.
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

TEST_F(AudioCacheExports, AChangedFileKeepsItsPropertiesUntilDeleted) {
    const std::string path = scratchDirectory("audio_changed") + "/changing.wav";
    std::filesystem::copy_file(audioFile(AudioFile::StereoWav), path);
    ASSERT_EQ(readAudioProperties(path).code, 0);
    std::filesystem::copy_file(audioFile(AudioFile::UnsignedWav), path,
                               std::filesystem::copy_options::overwrite_existing);

    const LinkReply cached = readAudioProperties(path);
    ASSERT_EQ(cached.code, 0);
    EXPECT_EQ(streamProperty(*cached.expression, 1, "Channels").integer, 2);
    EXPECT_EQ(streamProperty(*cached.expression, 1, "SampleRate").integer, 44100);

    EXPECT_TRUE(deleteAudioCache(path));
    const LinkReply fresh = readAudioProperties(path);
    ASSERT_EQ(fresh.code, 0);
    EXPECT_EQ(streamProperty(*fresh.expression, 1, "Channels").integer, 1);
    EXPECT_EQ(streamProperty(*fresh.expression, 1, "SampleRate").integer, 8000);
}

}  // namespace
