// The reading export bodies driven through a scripted reader of the second
// kind: what the bodies promise whatever reader plugs in (platform objects
// released after every cached call, the global reader closed on failure,
// the cache entry forgotten on failure except after an invalid frame
// number, and the row's differences from the Media Foundation one).
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "bridge/call_frame.h"
#include "bridge/error_manager.h"
#include "link/link_stream.h"
#include "tests/support/export_calls.h"
#include "tests/support/export_test.h"
#include "video/read/global_readers.h"
#include "video/read/reading_bodies.h"
#include "video/read/video_info_cache.h"

using namespace TravexUtils;

namespace {

// What the scripted readers do and what they were asked.
struct Script {
    std::string failIn;  // the operation that raises failError
    std::string failError = "DSGraphCreateError";
    uint32_t frameCount = 5;  // what counting finds
    std::vector<std::string> log;

    long count(const std::string& operation) const {
        return static_cast<long>(std::count(log.begin(), log.end(), operation));
    }
};

Script& script() {
    static Script s;
    return s;
}

class ScriptedReader final : public VideoReader {
public:
    explicit ScriptedReader(std::string path) : VideoReader(std::move(path)) {}

    void open() override { step("open"); }
    void loadProperties() override {
        step("loadProperties");
        info.width = 4;
        info.height = 2;
        info.duration = 1;
    }
    void countFrames() override {
        loadProperties();
        step("countFrames");
        info.frameCount = script().frameCount;
        info.frameDurations.assign(info.frameCount, 0.2);
    }
    void readFrames(const PlannedRequest& plan, uint8_t*) override {
        step("readFrames");
        if (!plan.request.empty() && plan.request.largestIndex() >= script().frameCount) {
            ErrorManager::throwException("DSInvalidFrameIndex", "Error getting the required frame");
        }
    }
    void readNextFrame(uint8_t*) override { step("readNextFrame"); }
    void releasePlatformObjects() noexcept override { script().log.push_back("release"); }

private:
    static void step(const char* operation) {
        script().log.push_back(operation);
        if (script().failIn == operation) ErrorManager::throwException(script().failError, "injected");
    }
};

const ReadingKind& scriptedReading() {
    // The DirectShow row with the scripted reader in place of the real one.
    static const ReadingKind row = [] {
        ReadingKind scripted = directShowReading();
        scripted.create = &makeReader<ScriptedReader>;
        return scripted;
    }();
    return row;
}

// The exports of the scripted kind, wrapped as the real ones are.
int Init(KorvelLibraryData libData, mint argc, MArgument* args, MArgument res) {
    return runLibraryFunction(
        libData, argc, args, res, [](MArgumentManager& m) { initVideoReader(m, scriptedReading()); },
        [](MArgumentManager&, int) { closeGlobalReader(scriptedReading()); });
}
int ReadNext(KorvelLibraryData libData, mint argc, MArgument* args, MArgument res) {
    return runLibraryFunction(
        libData, argc, args, res, [](MArgumentManager& m) { readNextVideoFrame(m, scriptedReading()); },
        [](MArgumentManager&, int) { closeGlobalReader(scriptedReading()); });
}
int ReadData(KorvelLibraryData libData, mint argc, MArgument* args, MArgument res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, argc, args, res, [&path](MArgumentManager& m) { readVideoData(m, scriptedReading(), path); },
        EraseCacheEntry{path, scriptedReading(), true});
}
int FrameCount(KorvelLibraryData libData, mint argc, MArgument* args, MArgument res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, argc, args, res, [&path](MArgumentManager& m) { readVideoFrameCount(m, scriptedReading(), path); },
        EraseCacheEntry{path, scriptedReading(), false});
}
int FrameRate(KorvelLibraryData libData, mint argc, MArgument* args, MArgument res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, argc, args, res, [&path](MArgumentManager& m) { readVideoFrameRate(m, scriptedReading(), path); },
        EraseCacheEntry{path, scriptedReading(), false});
}
int Properties(KorvelLibraryData, SRLINK link) {
    std::optional<std::string> path;
    return runLinkFunction(
        [&] {
            LinkStream stream(link);
            readVideoProperties(stream, scriptedReading(), path);
        },
        [&](int) {
            if (path) VideoInfoCache::erase(*path);
        });
}

const std::string kPath = "/scripted/clip.avi";

class ReadingBodies : public morvale_test::ExportTest {
protected:
    void SetUp() override {
        ExportTest::SetUp();
        script() = Script{};
    }
    void TearDown() override {
        closeGlobalReader(scriptedReading());
        ExportTest::TearDown();
    }
};

TEST_F(ReadingBodies, CachedCallsReleaseWhatTheyOpenAndForgetTheFileOnFailure) {
    using Result = morvale_test::ExportCall::Result;
    struct Case {
        const char* name;
        morvale_test::SlotFunction function;
        Result result;
        std::optional<std::vector<long long>> numbers;
        const char* failIn;
        bool succeeds;
        uint32_t frameCount = 5;
        const char* error = "DSGraphCreateError";
    };
    const Case cases[] = {
        {"count", FrameCount, Result::Integer, std::nullopt, "", true},
        {"count, counting fails", FrameCount, Result::Integer, std::nullopt, "countFrames", false},
        // fails before any result is set
        {"rate, opening fails", FrameRate, Result::Integer, std::nullopt, "open", false},
        {"frames by number", ReadData, Result::Image, std::vector<long long>{3, 1, 3}, "", true},
        {"every frame", ReadData, Result::Image, std::vector<long long>{}, "", true},
        {"frames, decoding fails", ReadData, Result::Image, std::vector<long long>{2}, "readFrames", false},
        {"frames, loading fails", ReadData, Result::Image, std::vector<long long>{2}, "loadProperties", false},
        // The row's error for a count of none.
        {"every frame of none", ReadData, Result::Image, std::vector<long long>{}, "", false, 0, "DSPropertyGetError"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VideoInfoCache::clear();
        script() = Script{};
        script().failIn = c.failIn;
        script().frameCount = c.frameCount;
        {
            morvale_test::ExportCall call;
            call.string(kPath);
            if (c.numbers) call.numbers(*c.numbers);
            const int code = call.run(c.function, c.result);
            EXPECT_EQ(code, c.succeeds ? 0 : morvale_test::codeOf(c.error));
        }
        EXPECT_EQ(script().count("release"), script().count("open")) << "platform objects of every open released";
        EXPECT_EQ(script().count("release"), 1);
        EXPECT_EQ(VideoInfoCache::contains(kPath), c.succeeds);
    }
}

TEST_F(ReadingBodies, InvalidFrameNumberKeepsTheEntry) {
    {
        morvale_test::ExportCall count;
        ASSERT_EQ(count.string(kPath).run(FrameCount, morvale_test::ExportCall::Result::Integer), 0);
        EXPECT_EQ(count.integer(), 5);
    }
    script().log.clear();
    {
        // Known count: refused before anything is loaded or decoded.
        morvale_test::ExportCall call;
        EXPECT_EQ(call.string(kPath).numbers({6}).run(ReadData, morvale_test::ExportCall::Result::Image),
                  morvale_test::codeOf("DSInvalidFrameIndex"));
    }
    EXPECT_EQ(script().log, (std::vector<std::string>{"open", "release"}));
    EXPECT_TRUE(VideoInfoCache::contains(kPath));

    VideoInfoCache::clear();
    {
        // Unknown count: the reader finds out while decoding.
        morvale_test::ExportCall call;
        EXPECT_EQ(call.string(kPath).numbers({9}).run(ReadData, morvale_test::ExportCall::Result::Image),
                  morvale_test::codeOf("DSInvalidFrameIndex"));
    }
    EXPECT_TRUE(VideoInfoCache::contains(kPath));
}

TEST_F(ReadingBodies, GlobalReaderIsClosedOnEveryFailureAndKeptForTheSamePath) {
    using Result = morvale_test::ExportCall::Result;
    struct Case {
        const char* name;
        const char* failIn;
        const char* secondPath;  // a second Init, or none for a ReadNext
        const char* error;
    };
    const Case cases[] = {
        {"init fails", "loadProperties", nullptr, "DSGraphCreateError"},
        {"reading fails", "readNextFrame", nullptr, "DSGraphCreateError"},
        {"init with another path", "", "/scripted/other.avi", "ReaderInitializeError"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script() = Script{};
        script().failIn = c.failIn;
        int code = 0;
        {
            morvale_test::ExportCall init;
            code = init.string(kPath).run(Init, Result::Boolean);
        }
        if (code == 0) {
            morvale_test::ExportCall next;
            if (c.secondPath) {
                next.string(c.secondPath);
                code = next.run(Init, Result::Boolean);
            } else {
                code = next.run(ReadNext, Result::Image);
            }
        }
        EXPECT_EQ(code, morvale_test::codeOf(c.error));
        EXPECT_EQ(globalReader(ReaderKind::DirectShow), nullptr);
        EXPECT_EQ(script().count("release"), 1);
    }
    morvale_test::ExportCall next;
    EXPECT_EQ(next.run(ReadNext, Result::Image), morvale_test::codeOf("ReadFrameError"));

    // Init twice with the same path keeps the reader.
    script() = Script{};
    EXPECT_EQ(morvale_test::initReader(Init, kPath), 0);
    EXPECT_EQ(morvale_test::initReader(Init, kPath), 0);
    EXPECT_EQ(script().count("open"), 1);
    EXPECT_EQ(globalMFReader(), nullptr) << "the other kind's reader is untouched";
}

TEST_F(ReadingBodies, PropertiesFollowTheRow) {
    // No frame rate is known, and this row neither checks nor sends one.
    const auto reply = morvale_test::callPropertiesExport(Properties, {SrValue::ofString(kPath)});
    ASSERT_EQ(reply.code, 0);
    ASSERT_TRUE(reply.expression.has_value());
    ASSERT_EQ(reply.expression->args.size(), 5u);
    EXPECT_EQ(reply.expression->args[4].args[0].text, "VideoEncoding");
    EXPECT_EQ(script().count("release"), 1);

    VideoInfoCache::clear();
    script().failIn = "loadProperties";
    const auto failed = morvale_test::callPropertiesExport(Properties, {SrValue::ofString(kPath)});
    EXPECT_EQ(failed.code, morvale_test::codeOf("DSGraphCreateError"));
    EXPECT_FALSE(failed.expression.has_value());
    EXPECT_FALSE(VideoInfoCache::contains(kPath));
    EXPECT_EQ(script().count("release"), 2);
}

}  // namespace
