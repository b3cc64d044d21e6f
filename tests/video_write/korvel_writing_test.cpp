// Writing video with korvel as a user does: a clip from a folder of PNG
// frames, from raw frames or from another video, frame by frame in a
// session, and the demo's written clip.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/media_fixtures.h"
#include "tests/support/reference_media.h"

using morvale_test::commandOutput;

extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __tsan_default_suppressions();

namespace {

// The sanitizer builds of korvel get the suppressions this test executable
// carries (tests/support/sanitizer_suppressions.cpp) as files: leaks and
// races inside FFmpeg and the encoder libraries are theirs, anything else
// is still reported.
std::string sanitizerOptions() {
    static const std::string options =
        "LSAN_OPTIONS=print_suppressions=0:suppressions=" +
        morvale_test::writeFixtureFile("korvel_writing.lsan", __lsan_default_suppressions()) +
        " TSAN_OPTIONS=\"${TSAN_OPTIONS:+$TSAN_OPTIONS:}suppressions=" +
        morvale_test::writeFixtureFile("korvel_writing.tsan", __tsan_default_suppressions()) + "\"";
    return options;
}

std::string korvel(const std::string& arguments, const std::string& input = "") {
    const std::string feed = input.empty() ? "" : "printf '" + input + "' | ";
    return commandOutput(feed + sanitizerOptions() + " " + KORVEL_PATH + " " + arguments + " 2>&1");
}

int probedFrames(const std::string& path) {
    return std::stoi(commandOutput("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                   "stream=nb_read_frames -of csv=p=0 '" + path + "'"));
}

TEST(KorvelWriting, WritesClipsFromEveryKindOfInput) {
    const std::string dir = morvale_test::scratchDirectory("korvel_writing");
    commandOutput("ffmpeg -v error -f lavfi -i testsrc=size=96x64:rate=25 -frames:v 4 '" + dir + "/f%02d.png'");
    EXPECT_EQ(korvel("MFWriteVideo " + dir + "/pngs.mp4 " + dir + " 1000000 25 '' H264"), "\"" + dir + "/pngs.mp4\"\n");
    EXPECT_EQ(probedFrames(dir + "/pngs.mp4"), 4);

    // Raw frames named by their size; a file that does not hold whole frames
    // of that size, or a name without one, is refused before any call.
    commandOutput("ffmpeg -v error -f lavfi -i testsrc=size=96x64:rate=25 -frames:v 3 -f rawvideo -pix_fmt rgb24 '" +
                  dir + "/frames.96x64.rgb24'");
    EXPECT_EQ(korvel("MFWriteVideo " + dir + "/raw.mkv " + dir + "/frames.96x64.rgb24 1000000 25 '' H264"),
              "\"" + dir + "/raw.mkv\"\n");
    EXPECT_EQ(probedFrames(dir + "/raw.mkv"), 3);
    commandOutput("cp '" + dir + "/frames.96x64.rgb24' '" + dir + "/frames.96x65.rgb24'");
    commandOutput("cp '" + dir + "/frames.96x64.rgb24' '" + dir + "/frames.rgb24'");
    for (const char* name : {"frames.96x65.rgb24", "frames.rgb24"}) {
        EXPECT_NE(korvel("MFWriteVideo " + dir + "/bad.mp4 " + dir + "/" + name + " 1000000 25 '' H264")
                      .find("korvel: "),
                  std::string::npos)
            << name;
    }

    const std::string source = morvale_test::fixturePath(morvale_test::Fixture::H264FiveFrames);
    EXPECT_EQ(korvel("MFWriteVideo " + dir + "/copy.avi '" + source + "' 1000000 0 0.1,0.1,0.2,0.2,0.4 MJPG"),
              "\"" + dir + "/copy.avi\"\n");
    EXPECT_EQ(probedFrames(dir + "/copy.avi"), 5);

    const std::string session = "MFInitVideoWriter " + dir + "/session.mkv 96 64 1000000 30 H264\\n"
                                "MFWriteNextVideoFrame " + dir + "/f01.png\\n"
                                "MFWriteNextVideoFrame " + dir + "/f02.png\\n"
                                "MFFinalizeVideoWriter\\nMFFinalizeVideoWriter\\n";
    EXPECT_EQ(korvel("", session), "true\ntrue\ntrue\ntrue\nfalse\n");
    EXPECT_EQ(probedFrames(dir + "/session.mkv"), 2);

    const std::string demo = korvel("demo '" + source + "' " + dir + "/demo");
    EXPECT_NE(demo.find("the clip read back, its frame count: 3\n"), std::string::npos) << demo;
}

}  // namespace
