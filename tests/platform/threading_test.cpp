// Samples handed to another thread convert there while the reader goes on
// decoding, and give the same pixels as a sequential read.
#include <gtest/gtest.h>

#include <future>

#include "media_probes.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

TEST(Threading, SamplesConvertOnAnotherThreadWhileReadingContinues) {
    const std::string path = fixturePath(Fixture::H264Small);
    ReaderSession session;
    std::vector<std::vector<uint8_t>> sequential;
    {
        auto reader = session.openRgb32(path);
        ASSERT_TRUE(reader);
        for (int i = 0; i < 20; ++i) sequential.push_back(sampleBytes(readVideoSample(reader.get()).sample.get()));
    }
    auto reader = session.openRgb32(path);
    ASSERT_TRUE(reader);
    std::vector<std::future<std::vector<uint8_t>>> converted;
    for (int i = 0; i < 20; ++i) {
        ComPtr<IMFSample> sample = readVideoSample(reader.get()).sample;
        ASSERT_TRUE(sample);
        converted.push_back(std::async(std::launch::async, [sample] { return sampleBytes(sample.get()); }));
    }
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(converted[i].get() == sequential[i]) << "frame " << i;
}

}  // namespace
}  // namespace PlatformTest
