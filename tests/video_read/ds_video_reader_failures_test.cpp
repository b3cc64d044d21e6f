// Every checked step of the DirectShow reader raises its own registered
// error with its debug text, in the order the graph is built and run, and
// leaves no COM object or streaming thread behind; files the graph cannot
// play fail at the step that refuses them.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/error_expectations.h"
#include "tests/support/media_fixtures.h"
#include "tests/video_read/reader_test_support.h"
#include "video/read/ds_video_reader.h"
#include "video/read/frame_layout.h"

using namespace TravexUtils;
using morvale_test::Fixture;
using morvale_test::fixturePath;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

using DSReaderFailures = morvale_test::ReaderTest;

enum class Phase { Build, Count, Read, Step };

struct InjectedFailure {
    Fixture file;
    Phase phase;
    const char* call;
    int occurrence;
    const char* error;
    const char* debugText;
};

constexpr Fixture kMp4 = Fixture::H264FiveFrames;
constexpr Fixture kAvi = Fixture::RgbAvi;

const InjectedFailure kFailures[] = {
    {kMp4, Phase::Build, "CoCreateInstance", 1, "DSGraphCreateError", "Can't create a DirectShow graph"},
    {kMp4, Phase::Build, "IGraphBuilder::AddSourceFilter", 1, "DSAddSourceFilterError", "Can't add source filter"},
    {kAvi, Phase::Build, "CoCreateInstance", 2, "DSAviSplitterCreateError", "Can't create a AVI splitter filter"},
    {kAvi, Phase::Build, "IFilterGraph::AddFilter", 1, "DSAddAviSplitterFilterError",
     "Can't add avi splitter filter to graph"},
    {kMp4, Phase::Build, "CoCreateInstance", 2, "DSGrabberFilterCreateError", "Can't create sample grabber filter"},
    {kMp4, Phase::Build, "IFilterGraph::AddFilter", 1, "DSAddGrabberFilterError", "Can't add grabber filter to graph"},
    {kMp4, Phase::Build, "ISampleGrabber::SetMediaType", 1, "DSMediaTypeSetError", "Can't set uncompressed media type"},
    {kMp4, Phase::Build, "ISampleGrabber::SetOneShot", 1, "DSGrabberPropertySetError", "Can't set grabber to multishot"},
    {kMp4, Phase::Build, "ISampleGrabber::SetBufferSamples", 1, "DSGrabberPropertySetError",
     "Can't set grabber to non-single buffer"},
    {kMp4, Phase::Build, "IBaseFilter::EnumPins", 1, "DSSourceFilterEnumPinError", "Can't enum source filter pins"},
    // The only video pin does not connect (to the grabber, or to the splitter).
    {kMp4, Phase::Build, "IGraphBuilder::Connect", 1, "DSNullPointerError", "Expected a valid video header"},
    {kAvi, Phase::Build, "IGraphBuilder::Connect", 1, "DSNullPointerError", "Expected a valid video header"},
    {kMp4, Phase::Build, "IPin::ConnectionMediaType", 1, "DSPinMediaTypeGetError", "Can't get media type of the pin"},
    {kMp4, Phase::Build, "CoCreateInstance", 3, "DSNullFilterCreateError", "Can't create null filter"},
    {kMp4, Phase::Build, "IFilterGraph::AddFilter", 2, "DSAddNullFilterError", "Can't add null filter"},
    {kMp4, Phase::Build, "IGraphBuilder::Connect", 2, "DSConntectFilterError",
     "Can't connect grabber filter with null filter"},
    {kMp4, Phase::Build, "IMediaFilter::SetSyncSource", 1, "DSSetSourceSyncError", "Can't set source sync to null"},
    {kMp4, Phase::Count, "ISampleGrabber::SetCallback", 1, "DSSetCallbackError", "Can't set callback function"},
    {kMp4, Phase::Count, "IMediaControl::Run", 1, "DSPropertyGetError", "Error getting frame count"},
    {kMp4, Phase::Read, "ISampleGrabber::SetCallback", 1, "DSSetCallbackError", "Can't set callback function"},
    // Results of Run and WaitForCompletion are not checked: a run that never
    // started has delivered no frame.
    {kMp4, Phase::Read, "IMediaControl::Run", 1, "DSInvalidFrameIndex", "Error getting the required frame"},
    {kMp4, Phase::Step, "CreateEventA", 1, "DSNullPointerError", "Can't create the stepping events"},
    {kMp4, Phase::Step, "CreateEventA", 2, "DSNullPointerError", "Can't create the stepping events"},
    {kMp4, Phase::Step, "IMediaControl::Run", 1, "DSEndOfFile", "Error end of file reached"},
};

TEST_F(DSReaderFailures, EachStepRaisesItsNamedError) {
    for (const InjectedFailure& f : kFailures) {
        SCOPED_TRACE(morvale_test::fixtureName(f.file) + " " + f.call + " #" + std::to_string(f.occurrence));
        TestControl::reset();
        {
            DSVideoReader reader(fixturePath(f.file));
            std::vector<uint8_t> frame(FrameLayout::frameBytes(320, 240));
            FrameRequest request;
            request.insert(1, 0);
            const auto arm = [&](Phase phase) {
                if (f.phase == phase) TestControl::failCall(f.call, E_FAIL, f.occurrence);
            };
            const auto raised = morvale_test::raisedBy([&] {
                arm(Phase::Build);
                reader.loadProperties();
                arm(Phase::Count);
                reader.countFrames();
                arm(Phase::Read);
                reader.readFrames(request, false, frame.data(), 1, false);
                arm(Phase::Step);
                reader.readNextFrame(frame.data());
            });
            EXPECT_TRUE(raised.raised);
            EXPECT_EQ(raised.name, f.error);
            EXPECT_EQ(raised.debugInfo, f.debugText);
            if (f.phase == Phase::Build) {
                EXPECT_FALSE(reader.graphBuilt());
                EXPECT_NO_THROW(reader.loadProperties()) << "a failed build leaves nothing in the way of the next";
            }
        }
        EXPECT_EQ(TestControl::liveObjects(), 0);
        EXPECT_EQ(TestControl::liveStreamingThreads(), 0);
    }
}

std::string audioOnly() { return fixturePath(Fixture::AudioOnlyM4a); }
std::string missing() { return morvale_test::scratchDirectory("ds_missing") + "/none.mp4"; }
template <Fixture F>
std::string fixture() {
    return fixturePath(F);
}
std::string malformedUtf8() { return "clip\xC3(.mp4"; }

TEST_F(DSReaderFailures, FilesTheGraphCannotPlayFailWhereTheyAreRefused) {
    struct Case {
        const char* name;
        std::string (*path)();
        const char* error;
        const char* debugText;
    };
    const Case cases[] = {
        {"missing", missing, "DSAddSourceFilterError", "Can't add source filter"},
        {"empty", fixture<Fixture::Empty>, "DSAddSourceFilterError", "Can't add source filter"},
        {"truncated", fixture<Fixture::Truncated>, "DSAddSourceFilterError", "Can't add source filter"},
        {"text", fixture<Fixture::Text>, "DSAddSourceFilterError", "Can't add source filter"},
        {"malformed UTF-8 path", malformedUtf8, "DSAddSourceFilterError", "Path is not valid UTF-8"},
        {"audio only", audioOnly, "DSNullPointerError", "Expected a valid video header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            DSVideoReader reader(c.path());
            EXPECT_RAISES(reader.countFrames(), c.error, c.debugText);
        }
        EXPECT_EQ(TestControl::liveObjects(), 0);
    }
}

}  // namespace
