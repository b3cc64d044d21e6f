#include <gtest/gtest.h>

#include <memory>

#include "bridge/error_manager.h"
#include "bridge/lib_data_holder.h"
#include "host/stand_in/host_stand_in.h"
#include "video/read/global_readers.h"
#include "video/read/mf_video_reader.h"
#include "video/read/video_info_cache.h"

extern "C" {
mint KorvelLibrary_getVersion();
int KorvelLibrary_initialize(KorvelLibraryData);
void KorvelLibrary_uninitialize();
}

using TravexUtils::ErrorManager;

namespace {

TEST(Lifecycle, InitialisationRegistersEveryTableOnce) {
    EXPECT_EQ(KorvelLibrary_getVersion(), 5);
    ASSERT_EQ(KorvelLibrary_initialize(korvel::hostLibraryData()), 0);
    EXPECT_NE(TravexUtils::LibDataHolder::getLibraryData(), nullptr);
    const std::size_t registered = ErrorManager::errors().size();
    const int nextCode = ErrorManager::nextCode();
    ASSERT_EQ(KorvelLibrary_initialize(korvel::hostLibraryData()), 0);
    EXPECT_EQ(ErrorManager::errors().size(), registered);
    EXPECT_EQ(ErrorManager::nextCode(), nextCode);

    KorvelLibrary_uninitialize();
    ASSERT_EQ(KorvelLibrary_initialize(korvel::hostLibraryData()), 0);
    EXPECT_EQ(ErrorManager::findError("MFEndOfFile").id(), -75);
}

// The video cache empties itself at uninitialisation (it added a shut-down
// hook when the library was loaded); the frame-by-frame reader stays.
TEST(Lifecycle, UninitialisationEmptiesTheVideoCacheAndNothingElse) {
    using TravexUtils::VideoInfoCache;
    ASSERT_EQ(KorvelLibrary_initialize(korvel::hostLibraryData()), 0);
    VideoInfoCache::getReader<TravexUtils::MFVideoReader>("first.mp4");
    VideoInfoCache::getReader<TravexUtils::MFVideoReader>("second.avi");
    auto& reader = TravexUtils::globalMFReader();
    reader = std::make_unique<TravexUtils::MFVideoReader>("third.mp4");
    ASSERT_EQ(VideoInfoCache::size(), 2u);

    KorvelLibrary_uninitialize();
    EXPECT_EQ(VideoInfoCache::size(), 0u);
    EXPECT_NE(reader, nullptr);
    EXPECT_NE(TravexUtils::LibDataHolder::getLibraryData(), nullptr);
    EXPECT_EQ(ErrorManager::findError("MFEndOfFile").id(), -75);
    reader.reset();
}

}  // namespace
