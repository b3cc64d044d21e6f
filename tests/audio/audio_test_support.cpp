#include "audio_test_support.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "audio/audio_cache.h"
#include "host/stand_in/host_stand_in.h"
#include "tests/support/media_fixtures.h"
#include "tests/support/reference_media.h"

namespace morvale_test {

namespace {

std::string quoted(const std::string& path) { return "'" + path + "'"; }

// Runs an ffmpeg command line (without the output) into path.
void runFfmpeg(const std::string& arguments, const std::string& path) {
    const std::string command = "ffmpeg -nostdin -v error -y " + arguments + " " + quoted(path);
    if (std::system(command.c_str()) != 0) throw std::runtime_error("ffmpeg failed: " + command);
}

std::string made(const std::string& name, const std::string& arguments) {
    return madeFixture(name, [&](const std::string& path) { runFfmpeg(arguments, path); });
}

}  // namespace

std::string audioFile(AudioFile file) {
    switch (file) {
        case AudioFile::StereoWav:
            return made("stereo_1p5s.wav",
                        "-f lavfi -i 'aevalsrc=0.5*sin(2*PI*440*t)|0.25*sin(2*PI*1000*t):s=44100:d=1.5' -c:a pcm_s16le");
        case AudioFile::UnsignedWav: {
            std::string bytes;
            for (int i = 0; i < 200; ++i) bytes += std::string("\x80\xff\x00\x40", 4);
            const std::string raw = writeFixtureFile("unsigned_pattern.u8", bytes);
            return made("unsigned_8bit.wav", "-f u8 -ar 8000 -ac 1 -i " + quoted(raw) + " -c:a pcm_u8");
        }
        case AudioFile::Pcm24Wav:
            return made("pcm24.wav", "-f lavfi -i 'sine=frequency=440:sample_rate=44100:duration=0.5' -c:a pcm_s24le");
        case AudioFile::VideoThenAudio:
            return made("video_then_audio.mp4",
                        "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 "
                        "-f lavfi -i 'sine=frequency=440:sample_rate=44100:duration=1,aformat=channel_layouts=stereo' "
                        "-map 0:v -map 1:a -c:v libx264 -pix_fmt yuv420p -c:a aac -b:a 128k");
        case AudioFile::TwoAudioStreams:
            return made("two_audio_streams.mkv",
                        "-f lavfi -i 'sine=frequency=440:sample_rate=44100:duration=1,aformat=channel_layouts=stereo' "
                        "-f lavfi -i 'sine=frequency=880:sample_rate=48000:duration=1' "
                        "-map 0:a -map 1:a -c:a pcm_s16le");
    }
    throw std::logic_error("unknown audio file");
}

std::vector<int16_t> ffmpegSamples(const std::string& path) {
    const std::string bytes = commandOutput("ffmpeg -nostdin -v error -i " + quoted(path) + " -map 0:a:0 -f s16le -");
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

AudioRead readAudio(const std::string& path, long long stream) {
    korvel::HostArguments arguments;
    arguments.addString(path).addInteger(stream);
    AudioRead read;
    read.code = arguments.call(ReadAudioData, korvel::ResultKind::RawArray);
    MRawArray result = arguments.result().rawArray;
    if (read.code == 0 && result != nullptr) {
        read.dimensions = korvel::rawArrayDimensions(result);
        mint count = 1;
        for (mint d : read.dimensions) count *= d;
        const short* data = korvel::rawArrayData(result);
        read.samples.assign(data, data + count);
    }
    return read;
}

LinkReply readAudioProperties(const std::string& path) {
    return callPropertiesExport(ReadAudioProperties, {SrValue::ofString(path)});
}

bool deleteAudioCache(const std::string& path) {
    korvel::HostArguments arguments;
    arguments.addString(path);
    EXPECT_EQ(arguments.call(DeleteAudioCache, korvel::ResultKind::Boolean), 0);
    return arguments.result().boolean != 0;
}

AudioWrite writeAudio(const std::vector<mint>& dims, const std::vector<int16_t>& samples, long long sampleRate,
                      long long bitRate, const std::string& path) {
    MRawArray array = korvel::newHostRawArray(MRawArray_Type_Bit16, dims);
    std::memcpy(const_cast<short*>(korvel::rawArrayData(array)), samples.data(), samples.size() * 2);
    korvel::HostArguments arguments;
    arguments.adoptRawArray(array).addInteger(sampleRate).addInteger(bitRate).addString(path);
    AudioWrite write;
    write.code = arguments.call(WriteAudio, korvel::ResultKind::String);
    if (write.code == 0 && arguments.result().string != nullptr) write.result = arguments.result().string;
    return write;
}

const SrValue& streamProperty(const SrValue& reply, long long number, const std::string& key) {
    for (const SrValue& rule : reply.args) {
        if (rule.args.at(0).integer != number) continue;
        for (const SrValue& property : rule.args.at(1).args) {
            if (property.args.at(0).text == key) return property.args.at(1);
        }
    }
    throw std::out_of_range("no " + key + " for stream " + std::to_string(number));
}

void AudioTest::TearDown() {
    TravexUtils::AudioCache::clear();
    ExportTest::TearDown();
}

}  // namespace morvale_test
