// Shared set-up of the tests that call the reading exports through the
// stand-in host: an initialised library and clean counters before each
// test; after it, the frame-by-frame reader finalised, the cache emptied,
// and proof that every host array, string argument and COM object the calls
// made was given back.
#pragma once

#include <gtest/gtest.h>

#include "host/stand_in/host_stand_in.h"
#include "platform/linux/test_control.h"
#include "tests/video_read/export_calls.h"
#include "video/read/video_info_cache.h"

namespace morvale_test {

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(KorvelLibrary_initialize(korvel::hostLibraryData()), 0);
        MorvalePlatform::TestControl::reset();
        korvel::resetHostCounters();
    }
    void TearDown() override {
        ExportCall finalize;
        finalize.run(MFFinalizeVideoReader, ExportCall::Result::Boolean);
        ExportCall finalizeDS;
        finalizeDS.run(DSFinalizeVideoReader, ExportCall::Result::Boolean);
        TravexUtils::VideoInfoCache::clear();
        const korvel::HostCounters host = korvel::hostCounters();
        EXPECT_EQ(host.liveArrays(), 0) << "every array the calls made was freed";
        EXPECT_EQ(host.liveStrings, 0) << "every string argument was handed back";
        EXPECT_EQ(host.invalidHandBacks + host.invalidFrees, 0);
        EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), 0) << "every COM object is released";
        EXPECT_EQ(MorvalePlatform::TestControl::liveStreamingThreads(), 0) << "every streaming thread ended";
    }
};

}  // namespace morvale_test
