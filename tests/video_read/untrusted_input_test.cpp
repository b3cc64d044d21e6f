// The reading exports on input a host cannot vouch for: oversized streams,
// frame numbers at the ends of the integer range, requests larger than
// memory, and many calls that fail on many files without running the
// process out of descriptors, threads or memory. (Paths that cannot name a
// readable file are refused by the reader's first step and the platform.)
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/physical_memory.h"
#include "tests/support/media_fixtures.h"
#include "tests/support/export_calls.h"
#include "tests/support/export_test.h"
#include "video/read/frame_layout.h"
#include "video/read/host_image_size.h"
#include "video/read/video_info_cache.h"

using namespace TravexUtils;
using morvale_test::ExportCall;
using morvale_test::Fixture;
using morvale_test::fixturePath;
using Result = ExportCall::Result;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

constexpr int kMemoryError = 5;
constexpr int kPropertySet = -59;
constexpr int kInvalidFrameIndex = -74;

class UntrustedInput : public morvale_test::ExportTest {
protected:
    static int readData(const std::string& path, const std::vector<long long>& numbers) {
        ExportCall call;
        call.string(path).numbers(numbers);
        return call.run(MFReadVideoData, Result::Image);
    }
};

// A small file whose header claims 16000 x 16000: decoding it would make
// frames of 768 MB each.
TEST_F(UntrustedInput, OversizedStreamIsRefusedBeforeAnythingIsAllocated) {
    std::ifstream in(fixturePath(Fixture::RgbAvi), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const auto format = bytes.find("strf");
    ASSERT_NE(format, std::string::npos);
    const int32_t side = 16000;
    std::memcpy(&bytes[format + 12], &side, 4);  // BITMAPINFOHEADER width and height
    std::memcpy(&bytes[format + 16], &side, 4);
    const std::string path = morvale_test::writeFixtureFile("untrusted_huge.avi", bytes);

    ExportCall call;
    call.string(path).numbers({});
    const long freedBefore = korvel::hostCounters().arraysFreed;
    EXPECT_EQ(call.run(MFReadVideoData, Result::Image), kPropertySet);
    EXPECT_EQ(korvel::hostCounters().arraysFreed, freedBefore) << "no image was asked for";
    EXPECT_EQ(call.image(), nullptr);
    EXPECT_FALSE(VideoInfoCache::contains(path));
}

TEST_F(UntrustedInput, RequestLargerThanMemoryIsRefusedBeforeTheHostIsAsked) {
    const std::string clip = fixturePath(Fixture::H264FullHd);
    const uint64_t frameBytes = FrameLayout::frameBytes(1920, 1080);
    const auto count = static_cast<std::size_t>(MorvalePlatform::physicalMemoryBytes() / frameBytes + 1);
    ExportCall call;
    call.string(clip).numbers(std::vector<long long>(count, 1));
    const long freedBefore = korvel::hostCounters().arraysFreed;
    EXPECT_EQ(call.run(MFReadVideoData, Result::Image), kMemoryError);
    EXPECT_EQ(korvel::hostCounters().arraysFreed, freedBefore) << "no image was asked for";
    EXPECT_EQ(readData(clip, {1, 10}), 0) << "a request that fits still works";
}

TEST(HostImageSize, FitsWithinTheLimitWithoutOverflow) {
    struct Case {
        int64_t slices;
        uint32_t width, height;
        uint64_t limit;
        bool fits;
    };
    const uint64_t frame = FrameLayout::frameBytes(1920, 1080);
    const Case cases[] = {
        {1, 1920, 1080, frame, true},
        {2, 1920, 1080, 2 * frame - 1, false},
        {1000, 1920, 1080, 1000 * frame, true},
        {INT64_MAX, 1920, 1080, UINT64_MAX, false},
        {INT64_MAX, 0, 1080, 0, true},
        {1, UINT32_MAX, UINT32_MAX, UINT64_MAX, false},
        {1, UINT32_MAX, 1, uint64_t{UINT32_MAX} * 3, true},
        {-1, 16, 16, UINT64_MAX, false},
        {0, 16, 16, 0, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hostImageFits(c.slices, c.width, c.height, c.limit), c.fits)
            << c.slices << " x " << c.width << "x" << c.height << " in " << c.limit;
    }
}

// (Where such numbers land in the plan is the frame request's test.)
TEST_F(UntrustedInput, FrameNumbersAtTheEndsOfTheRangeMatchNoFrame) {
    const std::string clip = fixturePath(Fixture::H264FiveFrames);
    EXPECT_EQ(readData(clip, {LLONG_MIN, 2}), 0);
    EXPECT_EQ(readData(clip, {LLONG_MIN, LLONG_MAX}), kInvalidFrameIndex);
}

long threadCount() {
    return static_cast<long>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                           std::filesystem::directory_iterator{}));
}

long residentKilobytes() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Each call names the file by another path, so each keeps its own cache
// entry after failing with an invalid frame number; none may keep the file
// open, its decoder threads or their memory.
void manyFailedReadsUnderALowDescriptorLimit() {
    const rlimit limit{40, 40};
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(3);
    const std::filesystem::path clip = fixturePath(Fixture::H264FiveFrames);
    const std::string folder = clip.parent_path().string();
    long threads = 0, resident = 0;
    for (int i = 0; i < 1000; ++i) {
        const std::string path = folder + std::string(static_cast<std::size_t>(i) + 1, '/') + clip.filename().string();
        ExportCall call;
        call.string(path).numbers({99});
        const int code = call.run(MFReadVideoData, Result::Image);
        if (code != kInvalidFrameIndex) {
            std::fprintf(stderr, "call %d returned %d\n", i, code);
            _exit(1);
        }
        if (i == 99) {
            threads = threadCount();
            resident = residentKilobytes();
        }
    }
    if (VideoInfoCache::size() != 1000) _exit(4);
    std::fprintf(stderr, "threads %ld -> %ld, resident %ld -> %ld kB\n", threads, threadCount(), resident,
                 residentKilobytes());
    const bool flat = threadCount() <= threads && residentKilobytes() - resident < 64 * 1024;
    _exit(flat && TestControl::liveObjects() == 2000 ? 0 : 2);  // the entries' two media types each
}

TEST_F(UntrustedInput, ThousandFailedReadsKeepNoFilesOpen) {
    EXPECT_EXIT(manyFailedReadsUnderALowDescriptorLimit(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
