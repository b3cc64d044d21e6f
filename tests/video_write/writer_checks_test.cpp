// What the writing exports accept and refuse, each refusal with its own
// registered error and debug text: limits at and just past their bounds,
// codec names, frame and video shapes, per-frame durations.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "host/stand_in/host_stand_in.h"
#include "platform/linux/test_control.h"
#include "tests/video_write/writer_test_support.h"
#include "video/read/codec_name_tables.h"
#include "video/write/global_writer.h"
#include "video/write/rgb32_frame.h"
#include "video/write/subtype_by_name.h"
#include "video/write/writing_bodies.h"

using namespace TravexUtils;
using korvel::HostArguments;
using korvel::ResultKind;
using morvale_test::raisedByBody;
namespace TestControl = MorvalePlatform::TestControl;

namespace {

class WriterChecks : public morvale_test::WriterTest {};

// Every pixel of RGB or RGBA rows lands as blue, green, red and a zero byte
// in the row mirrored top to bottom; rows are long enough for the vector
// steps and their tails.
TEST(Rgb32Frame, WideRowsKeepEveryPixel) {
    constexpr uint32_t kWidth = 13;
    constexpr uint32_t kHeight = 2;
    for (uint32_t bytesPerPixel : {3u, 4u}) {
        std::vector<uint8_t> pixels(kWidth * kHeight * bytesPerPixel);
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i + 1);
        std::vector<uint8_t> buffer(kWidth * kHeight * 4, 0xEE);
        copyFrameToRgb32(pixels.data(), kWidth, kHeight, bytesPerPixel, buffer.data());
        for (uint32_t r = 0; r < kHeight; ++r) {
            for (uint32_t c = 0; c < kWidth; ++c) {
                const uint8_t* in = &pixels[((kHeight - 1 - r) * kWidth + c) * bytesPerPixel];
                const uint8_t* out = &buffer[(r * kWidth + c) * 4];
                EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{in[2], in[1], in[0], 0}))
                    << bytesPerPixel << " bytes per pixel, row " << r << ", column " << c;
            }
        }
    }
}

TEST_F(WriterChecks, SubtypeByNameWalksTheTableInDataOneOrder) {
    EXPECT_EQ(findSubtypeByName("Uncompressed").Data1, 0x14u);  // RGB24, the smallest of the three RGB keys
    EXPECT_TRUE(findSubtypeByName("HEVS") == fourCCSubtype("HEVS"));
    EXPECT_TRUE(findSubtypeByName("dvc") == fourCCSubtype("dvc "));
    for (const char* unknown : {"hevc", "H26", "dvc ", ""}) {
        EXPECT_RAISES(findSubtypeByName(unknown), "MFCodecError", "Unknown codec");
    }
}

struct InitCase {
    mint width, height, bitRate, frameRate;
    const char* codec;
    const char* error;  // empty: accepted
    const char* debugText;
};

const InitCase kInitCases[] = {
    {kMaxWriterWidth, kMaxWriterHeight, 4000000, 25, "H264", "", ""},
    {kMaxWriterWidth + 1, 24, 4000000, 25, "H264", "DimensionsError", "Invalid frame dimensions"},
    {32, kMaxWriterHeight + 1, 4000000, 25, "H264", "DimensionsError", "Invalid frame dimensions"},
    {0, 24, 4000000, 25, "H264", "DimensionsError", "Invalid frame dimensions"},
    {32, 0, 4000000, 25, "H264", "DimensionsError", "Invalid frame dimensions"},
    {32, 24, kMaxBitRate, 25, "H264", "", ""},
    {32, 24, kMaxBitRate + 1, 25, "H264", "NumericalError", "Invalid bit rate value"},
    {32, 24, 0, 25, "H264", "NumericalError", "Invalid bit rate value"},
    {32, 24, 4000000, kMaxFrameRate, "H264", "", ""},
    {32, 24, 4000000, kMaxFrameRate + 1, "H264", "NumericalError", "Invalid input bit rate"},
    {32, 24, 4000000, 0, "H264", "NumericalError", "Invalid input bit rate"},
    {32, 24, 4000000, 25, "h264", "FunctionError", "Invalid codec"},
};

// The global writer exists from the moment the path is read, whatever
// fails later; only an accepted call leaves it with a sink writer.
TEST_F(WriterChecks, InitVideoWriterLimitsAndCodecName) {
    for (const InitCase& c : kInitCases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " " + std::to_string(c.bitRate) +
                     " b/s " + std::to_string(c.frameRate) + " fps '" + c.codec + "'");
        globalVideoWriter().reset();
        HostArguments arguments;
        morvale_test::addInitArguments(arguments, output("limits.mp4"), c.width, c.height, c.bitRate, c.frameRate,
                                       c.codec);
        const auto raised = raisedByBody(initVideoWriter, arguments, ResultKind::Boolean);
        EXPECT_EQ(raised.name, c.error);
        EXPECT_EQ(raised.debugInfo, c.debugText);
        ASSERT_NE(globalVideoWriter(), nullptr);
        EXPECT_EQ(globalVideoWriter()->path, output("limits.mp4"));
        EXPECT_EQ(static_cast<bool>(globalVideoWriter()->sinkWriter), !raised.raised);
    }
}

struct WholeVideoCase {
    const char* what;
    morvale_test::WholeVideo video;
    const char* error;  // empty: accepted
    const char* debugText;
};

morvale_test::WholeVideo video(mint bitRate, mint frameRate, std::vector<double> durations = {},
                               const char* codec = "H264") {
    morvale_test::WholeVideo v;
    v.frames = 2;
    v.bitRate = bitRate;
    v.frameRate = frameRate;
    v.durations = std::move(durations);
    v.codec = codec;
    return v;
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

const WholeVideoCase kWholeVideoCases[] = {
    {"largest bit rate", video(kMaxBitRate, 25), "", ""},
    {"bit rate past it", video(kMaxBitRate + 1, 25), "BitRateError", ""},
    {"no bit rate", video(0, 25), "BitRateError", ""},
    {"largest frame rate", video(4000000, kMaxFrameRate), "", ""},
    {"frame rate past it", video(4000000, kMaxFrameRate + 1), "FrameRateError", ""},
    {"negative frame rate", video(4000000, -1), "FrameRateError", "Frame rate should be positive"},
    {"per-frame durations", video(4000000, 0, {0.04, 0.1}), "", ""},
    {"a duration short", video(4000000, 0, {0.04}), "TensorSizeError", "Frame duration and image size mismatch"},
    {"no durations", video(4000000, 0), "TensorSizeError", "Frame duration and image size mismatch"},
    {"zero duration", video(4000000, 0, {0.04, 0}), "FrameRateError", "Frame rate should be positive"},
    {"negative duration", video(4000000, 0, {-0.04, 0.04}), "FrameRateError", "Frame rate should be positive"},
    {"NaN duration", video(4000000, 0, {0.04, kNaN}), "FrameRateError", "Frame rate should be positive"},
    {"endless duration", video(4000000, 0, {kInfinity, 0.04}), "FrameRateError", "Frame rate should be positive"},
    {"durations ignored at a fixed rate", video(4000000, 25, {-1}), "", ""},
    {"unknown codec", video(4000000, 25, {}, "XVID"), "MFCodecError", "Unknown codec"},
};

TEST_F(WriterChecks, WriteVideoLimitsAndDurations) {
    for (const WholeVideoCase& c : kWholeVideoCases) {
        SCOPED_TRACE(c.what);
        morvale_test::WholeVideo v = c.video;
        v.path = output("whole.mp4");
        std::filesystem::remove(v.path);
        HostArguments arguments;
        morvale_test::addWholeVideoArguments(arguments, v);
        const auto raised = raisedByBody(writeVideo, arguments, ResultKind::String);
        EXPECT_EQ(raised.name, c.error);
        EXPECT_EQ(raised.debugInfo, c.debugText);
        if (raised.name == "MFCodecError") {
            EXPECT_TRUE(std::filesystem::exists(v.path)) << "the file is made before the name is looked up";
        }
    }
}

TEST_F(WriterChecks, WriteVideoTakesOnlyInterleavedRgbBlocksOfFramesAndRealDurations) {
    struct Case {
        const char* what;
        MImage video;
        bool integerDurations;
        const char* error;
        const char* debugText;
    };
    const Case cases[] = {
        {"one frame, not a block", morvale_test::movingImage(0, 32, 24), false, "RankError",
         "Input video should be of rank 4"},
        {"grey frames", morvale_test::movingImage(2, 32, 24, 1), false, "RankError", "Input video should be of rank 4"},
        {"two channels", morvale_test::movingImage(2, 32, 24, 2), false, "DimensionsError",
         "Image should be interleaved RGB and of dimenstions 3 or 4"},
        {"planar RGB", morvale_test::movingImage(2, 32, 24, 3, false), false, "DimensionsError",
         "Image should be interleaved RGB and of dimenstions 3 or 4"},
        {"integer durations", morvale_test::movingImage(2, 32, 24), true, "TensorTypeError", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HostArguments arguments;
        arguments.addString(output("shape.mp4")).adoptImage(c.video).addInteger(4000000).addInteger(25);
        if (c.integerDurations) {
            arguments.addIntegers({1, 2});
        } else {
            arguments.addReals({});
        }
        arguments.addString("H264");
        const auto raised = raisedByBody(writeVideo, arguments, ResultKind::String);
        EXPECT_EQ(raised.name, c.error);
        EXPECT_EQ(raised.debugInfo, c.debugText);
    }
    EXPECT_FALSE(std::filesystem::exists(output("shape.mp4")));
}

class FrameByFrame : public morvale_test::WriterTest {
protected:
    void open(const std::string& path, mint width = 32, mint height = 24, mint frameRate = 25) {
        HostArguments arguments;
        morvale_test::addInitArguments(arguments, path, width, height, 2000000, frameRate);
        ASSERT_EQ(arguments.call(MFInitVideoWriter, ResultKind::Boolean), 0);
    }
    static morvale_test::RaisedError writeFrame(MImage frame) {
        HostArguments arguments;
        arguments.adoptImage(frame);
        return raisedByBody(writeNextVideoFrame, arguments, ResultKind::Boolean);
    }
    static int finalize(bool& result) {
        HostArguments arguments;
        const int code = arguments.call(MFFinalizeVideoWriter, ResultKind::Boolean);
        result = arguments.result().boolean != 0;
        return code;
    }
};

TEST_F(FrameByFrame, RefusedFramesWriteNothing) {
    const auto withoutWriter = writeFrame(morvale_test::movingImage(0, 32, 24));
    EXPECT_EQ(withoutWriter.name, "FunctionError");
    EXPECT_EQ(withoutWriter.debugInfo, "Global writer is not initialized");

    open(output("refused.mp4"));
    using morvale_test::movingImage;
    struct Case {
        const char* what;
        MImage frame;
        const char* error;
        const char* debugText;
    };
    const Case cases[] = {
        {"one column more", movingImage(0, 33, 24), "DimensionsError", ""},
        {"one row more", movingImage(0, 32, 25), "DimensionsError", ""},
        {"grey", movingImage(0, 32, 24, 1), "RankError", "Input image should be of rank 3"},
        {"two channels", movingImage(0, 32, 24, 2), "DimensionsError",
         "Image should be interleaved and of dimenstions 3 or 4"},
        {"planar, channels first", movingImage(0, 32, 24, 3, false), "DimensionsError", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto raised = writeFrame(c.frame);
        EXPECT_EQ(raised.name, c.error);
        EXPECT_EQ(raised.debugInfo, c.debugText);
    }
    EXPECT_EQ(TestControl::callCount("MFCreateMemoryBuffer"), 0);
    EXPECT_EQ(globalVideoWriter()->frameCount, 0u);
    EXPECT_EQ(globalVideoWriter()->sampleTime, 0u);
}

TEST_F(FrameByFrame, SampleTimesAdvanceByTheFramePeriod) {
    for (const auto& [rate, period] : {std::pair{25, 400000}, std::pair{30, 333333}}) {
        SCOPED_TRACE(std::to_string(rate) + " fps");
        globalVideoWriter().reset();
        open(output("timed.mp4"), 32, 24, rate);
        for (int i = 0; i < 4; ++i) {
            ASSERT_FALSE(writeFrame(morvale_test::movingImage(0, 32, 24, i % 2 == 0 ? 3 : 4)).raised);
            MF_SINK_WRITER_STATISTICS statistics{};
            statistics.cb = sizeof statistics;
            ASSERT_EQ(globalVideoWriter()->sinkWriter->GetStatistics(0, &statistics), S_OK);
            EXPECT_EQ(statistics.llLastTimestampReceived, LONGLONG{i} * period);
            EXPECT_EQ(statistics.qwNumSamplesReceived, static_cast<QWORD>(i + 1));
        }
    }
}

// A failed set-up leaves the global writer without a sink writer: writing
// and finalizing fail cleanly, and initialising the same path again mends
// it. Finalizing closes the mended writer once; after that there is none.
TEST_F(FrameByFrame, AWriterWithoutSinkWriterFailsCleanly) {
    TestControl::failCall("MFCreateSinkWriterFromURL", E_FAIL);
    HostArguments failing;
    morvale_test::addInitArguments(failing, output("mended.mp4"), 32, 24);
    EXPECT_EQ(failing.call(MFInitVideoWriter, ResultKind::Boolean), morvale_test::codeOf("MFObjectCreateError"));
    ASSERT_NE(globalVideoWriter(), nullptr);

    const auto raised = writeFrame(morvale_test::movingImage(0, 32, 24));
    EXPECT_EQ(raised.name, "MFNullPointerError");
    EXPECT_EQ(raised.debugInfo, "Writer object is null");
    bool closed = true;
    EXPECT_EQ(finalize(closed), morvale_test::codeOf("MFNullPointerError"));
    EXPECT_NE(globalVideoWriter(), nullptr) << "a writer that could not be finalized stays";

    open(output("mended.mp4"));
    EXPECT_FALSE(writeFrame(morvale_test::movingImage(0, 32, 24)).raised);
    EXPECT_EQ(finalize(closed), 0);
    EXPECT_TRUE(closed);
    EXPECT_EQ(finalize(closed), 0);
    EXPECT_FALSE(closed);
    EXPECT_EQ(TestControl::callCount("IMFSinkWriter::Finalize"), 1);
}

TEST_F(FrameByFrame, SamePathReinitialisesAnotherPathFails) {
    open(output("first.mp4"));
    ASSERT_FALSE(writeFrame(morvale_test::movingImage(0, 32, 24)).raised);

    HostArguments other;
    morvale_test::addInitArguments(other, output("second.mp4"), 32, 24);
    const auto refused = raisedByBody(initVideoWriter, other, ResultKind::Boolean);
    EXPECT_EQ(refused.name, "FunctionError");
    EXPECT_EQ(refused.debugInfo, "Global writer is already initialized");
    EXPECT_EQ(globalVideoWriter()->path, output("first.mp4"));

    open(output("first.mp4"), 64, 48);
    EXPECT_FALSE(writeFrame(morvale_test::movingImage(0, 64, 48)).raised);
    EXPECT_EQ(writeFrame(morvale_test::movingImage(0, 32, 24)).name, "DimensionsError");
    EXPECT_EQ(globalVideoWriter()->frameCount, 2u) << "the count goes on";
    EXPECT_EQ(globalVideoWriter()->sampleTime, 800000u) << "and so does the time";
}

}  // namespace
