// Shared set-up of the video writing tests: the writing exports called
// in-process as a host calls them, host images of a moving RGB(A) picture,
// a scratch folder per test, and after each test proof that every host
// array, string and COM object was given back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bridge/korvel_library.h"
#include "bridge/margument_manager.h"
#include "host/stand_in/host_arguments.h"
#include "tests/support/error_expectations.h"
#include "tests/support/export_test.h"

extern "C" {
int MFInitVideoWriter(KorvelLibraryData, mint, MArgument*, MArgument);
int MFWriteNextVideoFrame(KorvelLibraryData, mint, MArgument*, MArgument);
int MFFinalizeVideoWriter(KorvelLibraryData, mint, MArgument*, MArgument);
int MFWriteVideo(KorvelLibraryData, mint, MArgument*, MArgument);
int MFSupportedVideoEncodings(KorvelLibraryData, mint, MArgument*, MArgument);
}

namespace morvale_test {

// Frame index's picture: packed 8-bit RGB (channels 3) or RGBA (4, alpha
// varying), top row first; gradients drifting with the index and a white
// square moving across them.
std::vector<uint8_t> movingFrame(uint32_t width, uint32_t height, int index, int channels = 3);

// A host image of frames slices (2D when frames is 0) of the moving
// picture; the caller adopts it into host arguments.
MImage movingImage(int frames, uint32_t width, uint32_t height, int channels = 3, bool interleaved = true);

// Peak signal-to-noise ratio in dB of two equally long byte runs
// (infinity when equal).
double psnr(const uint8_t* a, const uint8_t* b, std::size_t length);

// MFWriteVideo's arguments.
struct WholeVideo {
    std::string path;
    int frames = 10;
    uint32_t width = 32;
    uint32_t height = 24;
    mint bitRate = 2000000;
    mint frameRate = 25;
    std::vector<double> durations;
    std::string codec = "H264";
};

void addWholeVideoArguments(korvel::HostArguments& arguments, const WholeVideo& video);
int writeWholeVideo(const WholeVideo& video);
void addInitArguments(korvel::HostArguments& arguments, const std::string& path, mint width, mint height,
                      mint bitRate = 2000000, mint frameRate = 25, const std::string& codec = "H264");

// What a body raises when run on these arguments with a result slot of the
// given kind, as its export would run it.
RaisedError raisedByBody(void (*body)(TravexUtils::MArgumentManager&), korvel::HostArguments& arguments,
                         korvel::ResultKind result);

// The exports' set-up (export_test.h) with the global writer dropped after
// each test and a folder of its own.
class WriterTest : public ExportTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // A path in this test's own empty folder.
    std::string output(const std::string& name) const { return folder_ + "/" + name; }

private:
    std::string folder_;
};

}  // namespace morvale_test
