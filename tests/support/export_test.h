// Shared set-up of the tests that call the exports through the stand-in
// host: an initialised library and clean counters before each test; after
// it, the frame-by-frame reader finalised, the cache emptied, and proof that
// every host array, string argument, host link, loan and COM object the
// calls made was given back. Also the calls these tests make again and
// again.
#pragma once

#include <gtest/gtest.h>

#include "host/stand_in/host_stand_in.h"
#include "platform/linux/test_control.h"
#include "tests/support/error_expectations.h"
#include "tests/support/export_calls.h"
#include "video/read/video_info_cache.h"

namespace morvale_test {

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(KorvelLibrary_initialize(korvel::hostLibraryData()), 0);
        MorvalePlatform::TestControl::reset();
        korvel::resetHostCounters();
        srhost_reset();
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
        EXPECT_EQ(srhost_openLoopbackLinks(), 0);
        EXPECT_EQ(srhost_liveLoans(), 0);
        EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), 0) << "every COM object is released";
        EXPECT_EQ(MorvalePlatform::TestControl::liveStreamingThreads(), 0) << "every streaming thread ended";
    }
};

// The frame count a count export gives for path; the call must succeed.
inline mint frameCountOf(SlotFunction count, const std::string& path) {
    ExportCall call;
    EXPECT_EQ(call.string(path).run(count, ExportCall::Result::Integer), 0) << path;
    return call.integer();
}

// An init export's code for path; when it succeeds, its answer is True.
inline int initReader(SlotFunction init, const std::string& path) {
    ExportCall call;
    const int code = call.string(path).run(init, ExportCall::Result::Boolean);
    EXPECT_TRUE(code != 0 || call.boolean()) << path;
    return code;
}

// A finalize export's answer: whether there was a reader to close.
inline bool finalizeReader(SlotFunction finalize) {
    ExportCall call;
    EXPECT_EQ(call.run(finalize, ExportCall::Result::Boolean), 0);
    return call.boolean();
}

}  // namespace morvale_test
