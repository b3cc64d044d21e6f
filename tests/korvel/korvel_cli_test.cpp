#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// The library's version; a link export's reply printed as JSON is the
// audio properties' test (the error table's contents are the link tests').
TEST(KorvelCli, Version) {
    const KorvelRun version = korvel("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "5\n");
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

// A library failure prints the named error on standard error and exits 1,
// from a slot export and a link export alike; a usage error exits 2 before
// any call. korvel calls the library's exports and nothing else: a name the
// library does not export is unknown like any other, and so are the
// lifecycle entry points, which korvel calls itself.
TEST(KorvelCli, FailuresPrintTheNamedErrorAndExitOneOrTwo) {
    const std::string notAVideo =
        "{\"error\":\"MFObjectCreateError\",\"code\":-61,\"message\":\"Error creating a media type.\"}\n";
    const std::string clip = q(fixturePath(Fixture::H264FiveFrames));
    struct Case {
        std::string arguments;
        int status;
        std::string err;  // exactly; empty: any text
    };
    const Case cases[] = {
        {"MFReadVideoFrameCount /no/such/clip.mp4", 1, notAVideo},
        {"MFReadVideoProperties " + q(fixturePath(Fixture::Text)), 1, notAVideo},
        {"MFReadVideoData " + clip + " 1,x", 2, ""},
        {"MFReadVideoFrameCount", 2, ""},
        {"MFReadVideoFrameCount a --out", 2, ""},
        // No export: only DirectShow reads a frame rate.
        {"MFReadVideoFrameRate " + clip, 2, "korvel: unknown function MFReadVideoFrameRate\n"},
        {"ReadAudioFrames " + clip, 2, "korvel: unknown function ReadAudioFrames\n"},
        {"KorvelLibrary_initialize " + clip, 2, "korvel: unknown function KorvelLibrary_initialize\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const KorvelRun run = korvel(c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, "");
        if (!c.err.empty()) {
            EXPECT_EQ(run.err, c.err);
        }
    }
}

// The help lists the library's exports and the error table, and nothing
// korvel could not call.
TEST(KorvelCli, HelpListsExactlyTheLibrarysExports) {
    const KorvelRun help = korvel("--help");
    ASSERT_EQ(help.status, 0);
    for (const char* name : {"MFReadVideoData", "DSReadVideoData", "DeleteVideoCache", "sendRegisteredErrors", "WriteAudio"}) {
        EXPECT_NE(help.out.find(std::string("  ") + name + "\n"), std::string::npos) << name;
    }
    EXPECT_EQ(help.out.find("MFReadVideoFrameRate"), std::string::npos);
    EXPECT_EQ(help.out.find("KorvelLibrary_"), std::string::npos);
}

// Audio as a user runs it: properties keyed by stream number, samples
// written as a 16-bit WAV file at the stream's rate, and WriteAudio fed
// from an audio file the library decodes.
TEST(KorvelCli, AudioPropertiesWavOutputAndWritingFromAFile) {
    const std::string source = fixturePath(Fixture::AudioFirstMp4);
    const KorvelRun properties = korvel("ReadAudioProperties " + q(source));
    ASSERT_EQ(properties.status, 0) << properties.err;
    EXPECT_EQ(properties.out.rfind("{\"1\":{\"Channels\":1,\"SampleRate\":44100,\"SampleCount\":", 0), 0u)
        << properties.out;

    const std::string dir = morvale_test::scratchDirectory("korvel_audio");
    const KorvelRun wav = korvel("ReadAudioData " + q(source) + " 0 --out " + q(dir + "/a.wav"));
    ASSERT_EQ(wav.status, 0) << wav.err;
    EXPECT_NE(wav.out.find("\"sampleRate\":44100"), std::string::npos) << wav.out;
    EXPECT_EQ(commandOutput("ffprobe -v error -show_entries stream=codec_name,channels,sample_rate -of csv=p=0 " +
                            q(dir + "/a.wav")),
              "pcm_s16le,44100,1\n");

    const KorvelRun written = korvel("WriteAudio " + q(dir + "/a.wav") + " 44100 96000 " + q(dir + "/b.m4a"));
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, "\"" + dir + "/b.m4a\"\n");
    EXPECT_EQ(commandOutput("ffprobe -v error -show_entries stream=codec_name,channels -of csv=p=0 " +
                            q(dir + "/b.m4a")),
              "aac,1\n");
}

}  // namespace
