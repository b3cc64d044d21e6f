// The fuzzing harness must notice what it is there to notice: a fuzzer whose
// checks never fire, or whose bounds skip the reading path, finds nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "host/sr64i4/sr_host.h"
#include "host/stand_in/host_stand_in.h"
#include "platform/linux/test_control.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/process_health.h"
#include "tests/fuzz/read_audio_session.h"
#include "tests/fuzz/read_video_session.h"
#include "tests/fuzz/registered_codes.h"
#include "tests/support/media_fixtures.h"
#include "tests/support/export_calls.h"

using namespace morvale_fuzz;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> callNames(const SessionReport& report) {
    std::vector<std::string> names;
    for (const auto& call : report.calls) names.push_back(call.call);
    return names;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

TEST(FuzzInput, LastByteChoosesTheExtensionAndTheSequenceOfTheBytesBeforeIt) {
    struct Case {
        std::vector<uint8_t> input;
        std::size_t contentSize;
        std::string extension;
        unsigned sequence;  // of 6
    };
    const Case cases[] = {
        {{}, 0, ".mp4", 0},               // nothing to split: an empty .mp4
        {{7}, 0, ".mpg", 0},              // a selector alone
        {{0x1a, 0x45, 2}, 2, ".mkv", 0},  // the selector is not part of the file
        {{1, 2, 9}, 2, ".mp4", 1},        // past the extensions: the next sequence
        {{1, 255}, 1, ".webm", 4},        // 255 % 9 = 3, 255 / 9 % 6 = 4
    };
    for (const auto& c : cases) {
        const MediaInput split = splitInput(c.input, containerExtensions(), 6);
        EXPECT_EQ(split.content.size(), c.contentSize);
        EXPECT_EQ(split.extension, c.extension);
        EXPECT_EQ(split.sequence, c.sequence);
        EXPECT_EQ(split.content.data(), c.input.data());
    }
    for (const std::string_view extension : containerExtensions()) {
        for (const unsigned sequence : {0u, 5u}) {
            const std::vector<uint8_t> seed = {0x47, extensionSelector(extension, containerExtensions(), sequence)};
            EXPECT_EQ(splitInput(seed, containerExtensions(), 6).extension, extension);
            EXPECT_EQ(splitInput(seed, containerExtensions(), 6).sequence, sequence);
        }
    }
    EXPECT_THROW(extensionSelector(".txt"), std::invalid_argument);
    EXPECT_THROW(extensionSelector(".mp4", containerExtensions(), 29), std::invalid_argument);  // past 255
    const std::vector<uint8_t> audioSeed = {0x52, extensionSelector(".flac", audioExtensions(), 3)};
    EXPECT_EQ(splitInput(audioSeed, audioExtensions(), 4).extension, ".flac");
    EXPECT_EQ(splitInput(audioSeed, audioExtensions(), 4).sequence, 3u);
}

TEST(FuzzInput, RewritingAPathLeavesOnlyTheNewBytesAndTheDirectoryGoesAtTheEnd) {
    const fs::path parent = morvale_test::scratchDirectory("fuzz_input");
    fs::path written;
    {
        InputFiles files(parent);
        const std::vector<uint8_t> longer = {1, 2, 3, 4, 5, 6};
        const std::vector<uint8_t> shorter = {9, 8};
        files.write({longer, ".avi"});
        written = files.write({shorter, ".avi"});
        EXPECT_EQ(written.extension(), ".avi");
        std::ifstream in(written, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(bytes, (std::vector<char>{9, 8}));
        EXPECT_TRUE(fs::exists(files.write({{}, ".ts"}))) << "an empty input is an empty file, not a missing one";
    }
    EXPECT_FALSE(fs::exists(written.parent_path()));
}

TEST(RegisteredCodes, TakesTheCodeOfEveryWellFormedRule) {
    const auto rule = [](const char* name, long long code) {
        return SrValue::ofRule(SrValue::ofString(name),
                               SrValue::ofList({SrValue::ofInteger(code), SrValue::ofString("message")}));
    };
    const RegisteredCodes codes = RegisteredCodes::fromTable(SrValue::ofAssociation({
        rule("NoError", 0),
        rule("FunctionError", 6),
        rule("ReaderInitializeError", -54),
        SrValue::ofRule(SrValue::ofString("Odd"), SrValue::ofInteger(-3)),  // not name -> {code, message}
        SrValue::ofString("stray"),
    }));
    EXPECT_EQ(codes.size(), 3u);
    EXPECT_TRUE(codes.contains(-54));
    EXPECT_TRUE(codes.contains(6));
    EXPECT_FALSE(codes.contains(-3));
    EXPECT_THROW(RegisteredCodes::fromTable(SrValue::ofList({})), std::invalid_argument);
}

class LoadedLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(KorvelLibrary_initialize(korvel::hostLibraryData()), 0);
        MorvalePlatformTest_reset();
        srhost_reset();
    }
};

TEST_F(LoadedLibrary, HealthNamesWhatTheHostOrTheLinkStillHolds) {
    struct Case {
        const char* what;
        std::function<std::function<void()>()> leave;  // leaves something behind, returns its clean-up
    };
    const Case cases[] = {
        {"host strings not handed back",
         [] {
             char* s = korvel::newHostString("path");
             return std::function<void()>([s] { korvel::hostLibraryData()->UTF8String_disown(s); });
         }},
        {"live host tensors",
         [] {
             MTensor t = korvel::newHostTensor(MType_Integer, {2});
             return std::function<void()>([t] { korvel::freeHostTensor(t); });
         }},
        {"live host images",
         [] {
             MImage i = korvel::newHostImage(0, 4, 2, 3, MImage_Type_Bit8, true);
             return std::function<void()>([i] { korvel::freeHostImage(i); });
         }},
        {"open links",
         [] {
             SRLINK link = srhost_newLink();
             return std::function<void()>([link] { srhost_deleteLink(link); });
         }},
        {"hand-backs of unknown host strings",
         [] {
             static char notAHostString[] = "x";
             korvel::hostLibraryData()->UTF8String_disown(notAHostString);
             return std::function<void()>([] {});
         }},
    };
    for (const auto& c : cases) {
        const ProcessHealth health;
        ASSERT_TRUE(health.problems().empty()) << c.what;
        const auto cleanUp = c.leave();
        const auto problems = health.problems();
        ASSERT_EQ(problems.size(), 1u) << c.what << "\n" << joined(problems);
        EXPECT_EQ(problems[0].rfind(c.what, 0), 0u) << problems[0];
        cleanUp();
    }
}

// Each sequence makes its own calls on a good file (5 frames of 160x120),
// and limits skip the expensive reads only; every call succeeds.
TEST_F(LoadedLibrary, EachSequenceMakesItsOwnCallsAndLimitsSkipTheExpensiveReadsOnly) {
    const std::string path = morvale_test::fixturePath(morvale_test::Fixture::H264FiveFrames);
    const ReadLimits defaults;
    struct Case {
        const char* what;
        VideoSequence sequence;
        ReadLimits limits;
        std::vector<std::string> expected;  // before the cache entry is dropped
    };
    const Case cases[] = {
        {"properties", VideoSequence::Properties, defaults, {"MFReadVideoProperties"}},
        {"frame facts", VideoSequence::FrameFacts, defaults, {"MFReadVideoFrameCount", "MFReadVideoFrameDurations"}},
        {"first frame", VideoSequence::FirstFrame, defaults, {"MFReadVideoProperties", "MFReadVideoData {1}"}},
        {"last frame", VideoSequence::LastFrame, defaults,
         {"MFReadVideoProperties", "MFReadVideoFrameCount", "MFReadVideoData {5}"}},
        {"all frames", VideoSequence::AllFrames, defaults,
         {"MFReadVideoProperties", "MFReadVideoFrameCount", "MFReadVideoData {}"}},
        {"frame by frame", VideoSequence::FrameByFrame, defaults,
         {"MFReadVideoProperties", "MFInitVideoReader", "MFReadNextVideoFrame", "MFReadNextVideoFrame",
          "MFReadNextVideoFrame", "MFReadNextVideoFrame", "MFFinalizeVideoReader"}},
        {"picture above the pixel limit", VideoSequence::FirstFrame, {160 * 120 - 1, 64, 8, 4},
         {"MFReadVideoProperties"}},
        {"more frames than a last-frame read may decode", VideoSequence::LastFrame, {1 << 20, 4, 4, 1},
         {"MFReadVideoProperties", "MFReadVideoFrameCount"}},
        {"more frames than one read of all may decode", VideoSequence::AllFrames, {1 << 20, 64, 4, 4},
         {"MFReadVideoProperties", "MFReadVideoFrameCount"}},
        {"no frame-by-frame reads", VideoSequence::FrameByFrame, {1 << 20, 64, 8, 0},
         {"MFReadVideoProperties", "MFInitVideoReader", "MFFinalizeVideoReader"}},
    };
    static_assert(kVideoSequences == 6, "a new sequence needs its row");
    const RegisteredCodes codes = RegisteredCodes::fetch();
    for (const auto& c : cases) {
        const SessionReport report = readVideoFile(path, codes, c.sequence, c.limits);
        EXPECT_TRUE(report.problems.empty()) << c.what << "\n" << joined(report.problems);
        std::vector<std::string> calls = c.expected;
        calls.insert(calls.end(), {"DeleteVideoCache", "DeleteVideoCache"});
        EXPECT_EQ(callNames(report), calls) << c.what;
        for (const auto& call : report.calls) EXPECT_EQ(call.code, 0) << c.what << ": " << call.call;
    }
}

TEST_F(LoadedLibrary, ReadingPastTheLastFrameClosesTheReader) {
    const std::string path = morvale_test::fixturePath(morvale_test::Fixture::H264FiveFrames);
    const RegisteredCodes codes = RegisteredCodes::fetch();
    const SessionReport report = readVideoFile(path, codes, VideoSequence::FrameByFrame, {1 << 20, 0, 0, 7});
    EXPECT_TRUE(report.problems.empty()) << joined(report.problems);
    std::vector<int> nextCodes;
    for (const auto& call : report.calls) {
        if (call.call == "MFReadNextVideoFrame") nextCodes.push_back(call.code);
    }
    ASSERT_EQ(nextCodes.size(), 6u) << "five frames, then the end of the file stops the reads";
    EXPECT_NE(nextCodes.back(), 0);
    EXPECT_TRUE(codes.contains(nextCodes.back()));
}

// One audio stream (AAC, before the video): streams 0 and 1 read it, 2 is
// refused; a file that is not media fails every call; both stay healthy.
TEST_F(LoadedLibrary, AudioFilesGoThroughEveryAudioCall) {
    struct Case {
        morvale_test::Fixture fixture;
        AudioSequence sequence;
        std::vector<std::string> calls;  // before the cache entry is dropped
        std::vector<bool> succeeded;
    };
    const Case cases[] = {
        {morvale_test::Fixture::AudioFirstMp4, AudioSequence::Properties, {"ReadAudioProperties"}, {true}},
        {morvale_test::Fixture::AudioFirstMp4, AudioSequence::StreamZero, {"ReadAudioProperties", "ReadAudioData 0"},
         {true, true}},
        {morvale_test::Fixture::AudioFirstMp4, AudioSequence::StreamOne, {"ReadAudioProperties", "ReadAudioData 1"},
         {true, true}},
        {morvale_test::Fixture::AudioFirstMp4, AudioSequence::StreamTwo, {"ReadAudioProperties", "ReadAudioData 2"},
         {true, false}},
        {morvale_test::Fixture::Text, AudioSequence::StreamOne, {"ReadAudioProperties", "ReadAudioData 1"},
         {false, false}},
    };
    const RegisteredCodes codes = RegisteredCodes::fetch();
    for (const auto& c : cases) {
        const std::string name = morvale_test::fixtureName(c.fixture) + " " + c.calls.back();
        const SessionReport report = readAudioFile(morvale_test::fixturePath(c.fixture), codes, c.sequence);
        EXPECT_TRUE(report.problems.empty()) << name << "\n" << joined(report.problems);
        std::vector<std::string> calls = c.calls;
        calls.insert(calls.end(), {"DeleteAudioCache", "DeleteAudioCache"});
        ASSERT_EQ(callNames(report), calls) << name;
        for (std::size_t i = 0; i < c.succeeded.size(); ++i) {
            EXPECT_EQ(report.calls[i].code == 0, c.succeeded[i]) << name << ": " << calls[i];
        }
    }
}

TEST_F(LoadedLibrary, ACodeMissingFromTheTableIsAProblem) {
    const RegisteredCodes onlySuccess = RegisteredCodes::fromTable(SrValue::ofAssociation({}));
    const SessionReport report = readVideoFile(morvale_test::fixturePath(morvale_test::Fixture::Text), onlySuccess,
                                               VideoSequence::Properties);
    ASSERT_FALSE(report.problems.empty());
    EXPECT_NE(report.problems[0].find("MFReadVideoProperties returned the unregistered code"), std::string::npos)
        << joined(report.problems);
}

}  // namespace
