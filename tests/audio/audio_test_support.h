// What the audio tests share: their audio files (made with the ffmpeg tool
// into the fixture directory on first use), the audio exports called the
// way a host calls them, and a set-up that proves every host array, string
// and COM object a test made was given back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/korvel_library.h"
#include "tests/support/export_calls.h"
#include "tests/support/export_test.h"

extern "C" {
int ReadAudioData(KorvelLibraryData, mint, MArgument*, MArgument);
int ReadAudioProperties(KorvelLibraryData, SRLINK);
int WriteAudio(KorvelLibraryData, mint, MArgument*, MArgument);
int DeleteAudioCache(KorvelLibraryData, mint, MArgument*, MArgument);
}

namespace morvale_test {

enum class AudioFile {
    StereoWav,        // 1.5 s, 44100 Hz, 16-bit: left 440 Hz, right 1000 Hz at another level
    UnsignedWav,      // 8 kHz mono unsigned 8-bit: bytes 128, 255, 0, 64 over and over, 0.1 s
    Pcm24Wav,         // 0.5 s, 44100 Hz, mono 24-bit
    VideoThenAudio,   // MP4: H.264 video as stream 0, then 1 s of stereo 44100 Hz AAC
    TwoAudioStreams,  // Matroska: stereo 44100 Hz and mono 48000 Hz 16-bit PCM, 1 s
};

std::string audioFile(AudioFile file);

// The first audio stream decoded by the ffmpeg tool as interleaved s16.
std::vector<int16_t> ffmpegSamples(const std::string& path);

struct AudioRead {
    int code = 0;
    std::vector<mint> dimensions;
    std::vector<int16_t> samples;  // planar, as returned
};

AudioRead readAudio(const std::string& path, long long stream);
LinkReply readAudioProperties(const std::string& path);
bool deleteAudioCache(const std::string& path);

// WriteAudio of a raw array {channels, frames} (rank as dims gives it);
// code and, on success, the path it returned.
struct AudioWrite {
    int code = 0;
    std::string result;
};
AudioWrite writeAudio(const std::vector<mint>& dims, const std::vector<int16_t>& samples, long long sampleRate,
                      long long bitRate, const std::string& path);

// One property of stream `number` in a ReadAudioProperties reply.
const SrValue& streamProperty(const SrValue& reply, long long number, const std::string& key);

// The exports' set-up (export_test.h) with the audio cache emptied after
// each test.
class AudioTest : public ExportTest {
protected:
    void TearDown() override;
};

}  // namespace morvale_test
