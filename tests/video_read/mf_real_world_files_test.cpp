// Files as users have them, through the library's exports: MPEG transport
// and program streams count and read every frame from the first, and
// damaged files read to the end with the damaged frames concealed (see the platform
// tests for which pictures they show).
#include <gtest/gtest.h>

#include <vector>

#include "bridge/error_manager.h"
#include "tests/support/real_world_media.h"
#include "tests/video_read/export_calls.h"
#include "tests/video_read/export_test.h"
#include "tests/video_read/reader_test_support.h"
#include "video/read/frame_layout.h"
#include "video/read/video_info_cache.h"

using namespace TravexUtils;
using morvale_test::Clip;
using morvale_test::ExportCall;
using Result = ExportCall::Result;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

class MFRealWorldFiles : public morvale_test::ExportTest {
protected:
    static mint frameCount(const std::string& path) { return morvale_test::frameCountOf(MFReadVideoFrameCount, path); }

    // Frames read one by one with the frame-by-frame reader until the end.
    static int framesReadOneByOne(const std::string& path) {
        EXPECT_EQ(morvale_test::initReader(MFInitVideoReader, path), 0);
        const int endOfFile = ErrorManager::findError("MFEndOfFile").id();
        for (int frames = 0;; ++frames) {
            ExportCall next;
            const int code = next.run(MFReadNextVideoFrame, Result::Image);
            if (code != 0) {
                EXPECT_EQ(code, endOfFile) << "after frame " << frames;
                return frames;
            }
        }
    }
};

const Clip& clipNamed(const std::string& name) {
    for (const Clip& clip : morvale_test::containerClips()) {
        if (clip.name == name) return clip;
    }
    throw std::logic_error("no clip " + name);
}

// Streams that seek on decoding times read every frame from the first,
// as the ffmpeg tool decodes them (a rewind after the properties' probe and
// the count); damaged files read to the end, as many frames as counted.
TEST_F(MFRealWorldFiles, EveryFrameReadsByNumberAndOneByOne) {
    struct Case {
        std::string path;
        const Clip* intact;  // when given, every frame against the ffmpeg tool's decode
    };
    std::vector<Case> cases;
    for (const char* name : {"H264BFramesTs", "Mpeg2Ts", "H264M2ts", "Mpeg2Mpg", "Mpeg2Vob"}) {
        cases.push_back({morvale_test::clipPath(clipNamed(name)), &clipNamed(name)});
    }
    const std::string h264 = morvale_test::clipPath(morvale_test::unreferencedBPicturesClip());
    const std::vector<size_t> b = morvale_test::bPicturePackets(h264);
    ASSERT_GT(b.size(), 4u);
    cases.push_back({morvale_test::withPacketsZeroed(h264, "h264_unreferenced_b_zeroed_b2_b4.mp4", {b[2], b[4]}), nullptr});
    cases.push_back({morvale_test::withPacketsZeroed(morvale_test::clipPath(clipNamed("MjpegOddAvi")),
                                                     "mjpeg_317x239_zeroed_7.avi", {7}),
                     nullptr});
    cases.push_back({morvale_test::withMediaBytesZeroed(morvale_test::twentyFramesH264(),
                                                        "h264_20_frames_4k_zeroed.mp4", 3952, 4096),
                     nullptr});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const mint count = frameCount(c.path);
        ExportCall all;
        all.string(c.path).numbers({});
        ASSERT_EQ(all.run(MFReadVideoData, Result::Image), 0);
        ASSERT_EQ(korvel::imageSlices(all.image()), count);
        EXPECT_TRUE(VideoInfoCache::contains(c.path));
        if (c.intact) {
            const std::vector<uint8_t> reference = morvale_test::decodedFrames(c.path, "rgb24");
            EXPECT_EQ(count, Clip::kFrames);
            ASSERT_EQ(reference.size(), FrameLayout::frameBytes(static_cast<uint32_t>(c.intact->width),
                                                                static_cast<uint32_t>(c.intact->height)) *
                                            Clip::kFrames);
            EXPECT_LE(
                morvale_test::compareFrames(korvel::imageData(all.image()), reference.data(), reference.size()).largest,
                2);
        }
        EXPECT_EQ(framesReadOneByOne(c.path), count);
        VideoInfoCache::clear();
    }
}

}  // namespace
