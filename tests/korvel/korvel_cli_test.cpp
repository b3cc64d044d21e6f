#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "tests/support/media_fixtures.h"
#include "tests/support/reference_media.h"

using morvale_test::commandOutput;
using morvale_test::Fixture;
using morvale_test::fixturePath;

namespace {

struct KorvelRun {
    int status = 0;
    std::string out;
    std::string err;
};

// Runs korvel with the given arguments (already quoted for the shell) and
// optional standard input.
KorvelRun korvel(const std::string& arguments, const std::string& input = "") {
    static int runs = 0;
    const std::string dir =
        morvale_test::scratchDirectory("korvel_run_" + std::to_string(::getpid()) + "_" + std::to_string(++runs));
    const std::string in = dir + "/stdin", out = dir + "/stdout", err = dir + "/stderr";
    std::ofstream(in) << input;
    const int raw = std::system((std::string(KORVEL_PATH) + " " + arguments + " <" + in + " >" + out + " 2>" + err).c_str());
    KorvelRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    auto slurp = [](const std::string& path) {
        std::ifstream f(path);
        return std::string((std::istreambuf_iterator<char>(f)), {});
    };
    run.out = slurp(out);
    run.err = slurp(err);
    return run;
}

std::string q(const std::string& text) { return "'" + text + "'"; }

TEST(KorvelCli, VersionAndErrorTable) {
    const KorvelRun version = korvel("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "5\n");

    const KorvelRun table = korvel("sendRegisteredErrors");
    ASSERT_EQ(table.status, 0) << table.err;
    const std::regex rule("\"([A-Za-z]+)\":\\[(-?[0-9]+),");
    std::size_t rules = 0;
    for (std::sregex_iterator it(table.out.begin(), table.out.end(), rule), end; it != end; ++it) ++rules;
    EXPECT_EQ(rules, 109u);
    EXPECT_NE(table.out.find("\"MFEndOfFile\":[-75,\"End of file reached.\"]"), std::string::npos);
}

TEST(KorvelCli, PropertiesAndFrameCount) {
    const std::string clip = fixturePath(Fixture::H264Small);
    const KorvelRun properties = korvel("MFReadVideoProperties " + q(clip));
    ASSERT_EQ(properties.status, 0) << properties.err;
    EXPECT_EQ(properties.out,
              "{\"Duration\":2.0,\"FrameWidth\":320,\"FrameHeight\":240,\"BitRate\":" +
                  std::to_string(morvale_test::probeVideo(clip).bitRate) +
                  ",\"VideoEncoding\":\"H264\",\"FrameRate\":25.0}\n");
    const KorvelRun count = korvel("MFReadVideoFrameCount " + q(clip));
    EXPECT_EQ(count.out, "50\n");
}

// Reals print as the shortest text that reads back as the same number, as
// the properties written over a link do.
TEST(KorvelCli, RealResultsPrintTheShortestRoundTrip) {
    const KorvelRun durations = korvel("MFReadVideoFrameDurations " + q(fixturePath(Fixture::H264FiveFrames)));
    ASSERT_EQ(durations.status, 0) << durations.err;
    EXPECT_EQ(durations.out, "[0.04,0.04,0.04,0.04,0.04]\n");
}

TEST(KorvelCli, FramesWrittenAsPngMatchFfmpeg) {
    const std::string clip = fixturePath(Fixture::RgbAvi);
    const std::string out = morvale_test::scratchDirectory("korvel_frames_" + std::to_string(::getpid()));
    const KorvelRun run = korvel("MFReadVideoData " + q(clip) + " 3,1,3 --out " + q(out + "/frames"));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<uint8_t> reference = morvale_test::referenceRgbFrames(clip);
    const std::size_t frameBytes = 64 * 48 * 3;
    const int expectedFrame[] = {3, 1, 3};
    for (int slice = 1; slice <= 3; ++slice) {
        const std::string png = out + "/frames/slice_000" + std::to_string(slice) + ".png";
        ASSERT_TRUE(std::filesystem::exists(png)) << png;
        const std::string pixels = commandOutput("ffmpeg -nostdin -v error -i " + q(png) + " -f rawvideo -pix_fmt rgb24 -");
        const std::size_t at = static_cast<std::size_t>(expectedFrame[slice - 1] - 1) * frameBytes;
        EXPECT_EQ(pixels, std::string(reference.begin() + static_cast<long>(at),
                                      reference.begin() + static_cast<long>(at + frameBytes)))
            << "slice " << slice;
    }

    const KorvelRun single = korvel("--help");
    EXPECT_EQ(single.status, 0);
}

TEST(KorvelCli, SessionReadsFrameByFrame) {
    const std::string clip = fixturePath(Fixture::H264FiveFrames);
    const KorvelRun run = korvel("", "MFInitVideoReader " + q(clip) +
                                   "\nMFReadNextVideoFrame --checksum\nMFReadNextVideoFrame --checksum\n"
                                   "MFFinalizeVideoReader\nMFFinalizeVideoReader\nMFReadNextVideoFrame\n");
    EXPECT_EQ(run.status, 1) << "the last call fails";
    std::istringstream lines(run.out);
    std::vector<std::string> replies;
    for (std::string line; std::getline(lines, line);) replies.push_back(line);
    ASSERT_EQ(replies.size(), 6u) << run.out;
    EXPECT_EQ(replies[0], "true");
    EXPECT_NE(replies[1], replies[2]) << "two different frames";
    EXPECT_NE(replies[1].find("\"rank\":2"), std::string::npos);
    EXPECT_EQ(replies[3], "true");
    EXPECT_EQ(replies[4], "false");
    EXPECT_EQ(replies[5], "{\"error\":\"ReadFrameError\",\"code\":-55,\"message\":\"Reader is not initialized\"}");
}

TEST(KorvelCli, FailuresPrintTheNamedErrorAndExitOne) {
    const KorvelRun missing = korvel("MFReadVideoFrameCount /no/such/clip.mp4");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "{\"error\":\"MFObjectCreateError\",\"code\":-61,\"message\":\"Error creating a media type.\"}\n");

    const KorvelRun text = korvel("MFReadVideoProperties " + q(fixturePath(Fixture::Text)));
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.err.find("\"code\":-6"), std::string::npos) << text.err;

    const KorvelRun usage = korvel("NoSuchFunction x");
    EXPECT_EQ(usage.status, 2);
    const KorvelRun badNumbers = korvel("MFReadVideoData " + q(fixturePath(Fixture::H264FiveFrames)) + " 1,x");
    EXPECT_EQ(badNumbers.status, 2);
}

// An empty frame list reads the whole clip; korvel hands the library an
// empty tensor for it.
TEST(KorvelCli, EmptyFrameListReadsEveryFrame) {
    const KorvelRun run = korvel("MFReadVideoData " + q(fixturePath(Fixture::H264FiveFrames)) + " '' --checksum");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"rank\":3"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"slices\":5,\"height\":120,\"width\":160"), std::string::npos) << run.out;
}

// A live playlist under a video name would have the library wait for new
// segments; it is refused at once like any file that is not a video.
TEST(KorvelCli, PlaylistNamedAsVideoFailsAtOnce) {
    const std::string dir = morvale_test::scratchDirectory("korvel_playlist_" + std::to_string(::getpid()));
    std::ofstream(dir + "/x.mp4") << "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\nsegment.ts\n";
    std::ofstream(dir + "/segment.ts") << "not read";
    const KorvelRun run = korvel("MFReadVideoProperties " + q(dir + "/x.mp4"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "{\"error\":\"MFObjectCreateError\",\"code\":-61,\"message\":\"Error creating a media type.\"}\n");
}

}  // namespace
