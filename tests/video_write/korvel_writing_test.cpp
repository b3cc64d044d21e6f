// Writing video with korvel as a user does: the encoder listing, a clip from
// a folder of PNG frames or from another video, frame by frame in a
// session, and the demo's written clip.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/media_fixtures.h"
#include "tests/support/reference_media.h"

using morvale_test::commandOutput;

namespace {

// libx265 keeps one block per process that FFmpeg's encoder never frees;
// sanitizer builds of korvel are told so, and report any other leak.
std::string leakSuppressions() {
    static const std::string path = morvale_test::writeFixtureFile("korvel_writing.lsan", "leak:libx265.so\n");
    return path;
}

std::string korvel(const std::string& arguments, const std::string& input = "") {
    const std::string feed = input.empty() ? "" : "printf '" + input + "' | ";
    return commandOutput(feed + "LSAN_OPTIONS=print_suppressions=0:suppressions=" + leakSuppressions() + " " + KORVEL_PATH + " " +
                         arguments + " 2>&1");
}

int probedFrames(const std::string& path) {
    return std::stoi(commandOutput("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                   "stream=nb_read_frames -of csv=p=0 '" + path + "'"));
}

TEST(KorvelWriting, ListsEncodingsAndWritesClips) {
    EXPECT_EQ(korvel("MFSupportedVideoEncodings AVI"), "\"H264,HEVC\"\n");

    const std::string dir = morvale_test::scratchDirectory("korvel_writing");
    commandOutput("ffmpeg -v error -f lavfi -i testsrc=size=96x64:rate=25 -frames:v 4 '" + dir + "/f%02d.png'");
    EXPECT_EQ(korvel("MFWriteVideo " + dir + "/pngs.mp4 " + dir + " 1000000 25 '' H264"), "\"" + dir + "/pngs.mp4\"\n");
    EXPECT_EQ(probedFrames(dir + "/pngs.mp4"), 4);

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
