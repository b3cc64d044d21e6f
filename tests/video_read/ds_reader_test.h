// Set-up of the DirectShow reader tests: the reader tests' fresh registry and
// platform state, and after each test no streaming thread left running.
#pragma once

#include "platform/linux/test_control.h"
#include "tests/video_read/reader_test_support.h"
#include "video/read/ds_video_reader.h"

namespace morvale_test {

class DSReaderTest : public ReaderTest {
protected:
    void TearDown() override {
        ReaderTest::TearDown();
        EXPECT_EQ(MorvalePlatform::TestControl::liveStreamingThreads(), 0) << "every streaming thread ended";
    }
};

}  // namespace morvale_test
