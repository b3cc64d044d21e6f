// The decoder thread count that fuzzing lowers to one: decoders opened after
// the setting take it, one packet held per extra frame thread, and test
// control's reset keeps it. A single
// thread decodes the same frames as the default: LazyPixels runs its pixel
// checks that way too.
#include <gtest/gtest.h>

#include <memory>

#include "media_probes.h"
#include "platform/linux/media_file.h"
#include "platform/linux/stream_decoder.h"
#include "platform/linux/test_control.h"

namespace PlatformTest {
namespace {

namespace TestControl = MorvalePlatform::TestControl;
using MorvalePlatform::StreamDecoder;

class DecoderThreads : public ::testing::Test {
protected:
    void TearDown() override { TestControl::setDecoderThreads(0); }
};

int outputDelayOfFirstVideoStream(const std::string& path) {
    MorvalePlatform::FormatContextPtr format;
    EXPECT_EQ(MorvalePlatform::openMediaFile(path, format), S_OK);
    if (!format) return -1;
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    EXPECT_GE(index, 0);
    if (index < 0) return -1;
    std::unique_ptr<StreamDecoder> decoder;
    EXPECT_EQ(StreamDecoder::open(*format->streams[index], decoder), S_OK);
    return decoder ? decoder->outputDelay() : -1;
}

TEST_F(DecoderThreads, EveryExtraFrameThreadHoldsOneMorePacket) {
    const std::string path = fixturePath(Fixture::H264Small);
    TestControl::setDecoderThreads(1);
    TestControl::reset();  // as the fuzz target does after every input
    EXPECT_EQ(TestControl::decoderThreads(), 1) << "reset keeps the setting";
    const int singleThreaded = outputDelayOfFirstVideoStream(path);
    ASSERT_GE(singleThreaded, 0);
    struct Case {
        int threads;
        int extraDelay;
    };
    for (const Case& c : {Case{1, 0}, Case{2, 1}, Case{4, 3}}) {
        TestControl::setDecoderThreads(c.threads);
        EXPECT_EQ(outputDelayOfFirstVideoStream(path) - singleThreaded, c.extraDelay) << c.threads << " threads";
    }
}

}  // namespace
}  // namespace PlatformTest
