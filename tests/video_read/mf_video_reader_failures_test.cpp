// Every checked step of the Media Foundation reader raises its own
// registered error with its debug text and leaves no COM object behind.
// Files that cannot be opened fail at the source reader's creation: its
// results for them are checked in tests/platform/bad_input_test.cpp.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "tests/support/error_expectations.h"
#include "tests/support/media_fixtures.h"
#include "tests/video_read/reader_test_support.h"
#include "video/read/frame_layout.h"
#include "video/read/mf_video_reader.h"

using namespace TravexUtils;
using morvale_test::Fixture;
using morvale_test::fixturePath;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

class MFReaderFailures : public morvale_test::ReaderTest {};

enum class Phase { Open, Load, Read, Count };

struct InjectedFailure {
    Phase phase;
    const char* call;
    int occurrence;
    const char* error;
    const char* debugText;
};

const InjectedFailure kFailures[] = {
    {Phase::Open, "MFStartup", 1, "MFLibraryStartError", "Can't start MF library"},
    {Phase::Open, "MFCreateAttributes", 1, "MFObjectCreateError", "Can't create MF attribute"},
    {Phase::Open, "IMFAttributes::SetUINT32", 1, "MFropertySetError", "Can't set video processing attribute"},
    {Phase::Open, "MFCreateSourceReaderFromURL", 1, "MFObjectCreateError", "Can't create source reader from url"},
    {Phase::Open, "IMFSourceReader::GetCurrentMediaType", 1, "MFPropertyGetError", "Can't get compressed video type"},
    {Phase::Open, "MFCreateMediaType", 1, "MFObjectCreateError", "Can't create media type"},
    {Phase::Open, "IMFAttributes::SetGUID", 1, "MFropertySetError", "Can't set video major type"},
    {Phase::Open, "IMFAttributes::SetGUID", 2, "MFropertySetError", "Can't set video subtype"},
    {Phase::Open, "IMFSourceReader::SetCurrentMediaType", 1, "MFropertySetError", "Can't set current video type"},
    {Phase::Open, "IMFSourceReader::GetCurrentMediaType", 2, "MFPropertyGetError", "Can't get current video type"},
    {Phase::Load, "IMFAttributes::GetUINT64", 1, "MFPropertyGetError", "Can't get frame width and height"},
    {Phase::Load, "IMFAttributes::GetUINT64", 2, "MFPropertyGetError", "Can't get frame rate"},
    {Phase::Load, "IMFSourceReader::GetPresentationAttribute", 1, "MFPropertyGetError", "Can't get duration"},
    {Phase::Load, "IMFSourceReader::SetCurrentPosition", 1, "MFropertySetError",
     "Can't set reader position to the beginning"},
    {Phase::Load, "IMFSourceReader::ReadSample", 1, "MFSampleReadError", "Can't read video sample"},
    {Phase::Load, "IMFSourceReader::GetCurrentMediaType", 1, "MFPropertyGetError", "Can't get compressed video type"},
    {Phase::Load, "IMFAttributes::GetUINT64", 3, "MFPropertyGetError", "Can't get frame width and height"},
    {Phase::Read, "IMFSourceReader::ReadSample", 2, "MFSampleReadError", "Can't read video sample"},
    {Phase::Read, "IMFSample::ConvertToContiguousBuffer", 1, "MFBufferConversionError",
     "Can't convert to contiguous buffer"},
    {Phase::Read, "IMFMediaBuffer::Lock", 1, "MFLockUnlockError", "Can't lock the buffer for reading the data"},
    {Phase::Read, "IMFMediaBuffer::Unlock", 1, "MFLockUnlockError", "Can't unlock the buffer"},
    {Phase::Count, "IMFSourceReader::ReadSample", 3, "MFSampleReadError", "Can't read video sample"},
    {Phase::Count, "IMFSourceReader::SetCurrentPosition", 2, "MFropertySetError",
     "Can't set reader position to the beginning"},
};

TEST_F(MFReaderFailures, EachStepRaisesItsNamedError) {
    for (const InjectedFailure& f : kFailures) {
        SCOPED_TRACE(std::string(f.call) + " #" + std::to_string(f.occurrence));
        TestControl::reset();
        std::vector<uint8_t> frame(FrameLayout::frameBytes(160, 120));
        FrameRequest request;
        request.insert(1, 0);
        {
            MFVideoReader reader(fixturePath(Fixture::H264FiveFrames));
            const auto arm = [&](Phase phase) {
                if (f.phase == phase) TestControl::failCall(f.call, E_FAIL, f.occurrence);
            };
            const auto raised = morvale_test::raisedBy([&] {
                arm(Phase::Open);
                reader.open();
                arm(Phase::Load);
                reader.loadProperties();
                arm(Phase::Read);
                reader.readFrames(request, false, frame.data(), 1, false);
                arm(Phase::Count);
                reader.countFrames();
            });
            EXPECT_TRUE(raised.raised);
            EXPECT_EQ(raised.name, f.error);
            EXPECT_EQ(raised.debugInfo, f.debugText);
        }
        EXPECT_EQ(TestControl::liveObjects(), 0);
    }
}

// Failures outside the step order: a success code other than zero, a path
// that is not UTF-8, and properties asked of a reader never opened.
TEST_F(MFReaderFailures, OtherWaysToFailAtTheFirstStep) {
    struct Case {
        const char* path;
        bool openFirst;
        const char* error;
        const char* debugText;
        bool noSourceReader;  // none is made
    };
    const std::string clip = fixturePath(Fixture::H264FiveFrames);
    const Case cases[] = {
        {clip.c_str(), true, "MFObjectCreateError", "Can't create media type", false},  // MFCreateMediaType gives S_FALSE
        {"clip\xC3(.mp4", true, "MFObjectCreateError", "Path is not valid UTF-8", true},
        {clip.c_str(), false, "MFNullPointerError", "Compressed type is null", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.debugText);
        TestControl::reset();
        TestControl::failCall("MFCreateMediaType", S_FALSE);
        MFVideoReader reader(c.path);
        EXPECT_RAISES(c.openFirst ? reader.open() : reader.loadProperties(), c.error, c.debugText);
        if (c.noSourceReader) {
            EXPECT_FALSE(reader.hasSourceReader());
        }
    }
}

}  // namespace
