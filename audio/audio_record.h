// AudioRecord: what the library knows about one audio file, shared by the
// audio reader (which fills it and which the audio cache keeps per path)
// and the audio writer (which uses a local one for one call). It holds the
// file's audio streams, their properties and the platform objects opened
// for it. Used one call at a time on the host's thread.
//
// Ownership: every media type in the two type lists, the source reader and
// the sink writer are held by one reference each and released when the
// record goes (or earlier by releaseReader / releaseWriter).
//
// Decoded samples are not kept here: a read writes them straight into the
// caller's array, so a long file is never held twice.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_chunks.h"
#include "platform/com_ptr.h"
#include "platform/media_foundation.h"

namespace TravexUtils {

struct AudioRecord {
    explicit AudioRecord(std::string filePath) : path(std::move(filePath)) {}
    AudioRecord(const AudioRecord&) = delete;
    AudioRecord& operator=(const AudioRecord&) = delete;

    // Reading. open starts the platform and makes a source reader with
    // every audio stream set to PCM (runs on every call); readProperties
    // works out each stream's properties once; readSamples decodes the
    // stream that streamIndex names (0 or 1: the first audio stream, k: the
    // k-th) into destination, planar, channels x framesPerChannel values,
    // after selectStream has made that stream's properties the record's
    // own; releaseReader lets the source reader go.
    void open();
    void readProperties();
    void selectStream();
    void readSamples(int16_t* destination);
    void releaseReader() noexcept { sourceReader.reset(); }

    // Writing (the fields of the writer's record set first): an AAC stream
    // in a sink writer for path, every frame fed in chunks, then finalized.
    void setUpWriter();
    void writeSamples(const int16_t* samples);
    void writeChunk(const AudioChunk& chunk, const int16_t* samples);
    void releaseWriter();

    uint32_t sampleCount = 0;       // all channels together
    uint32_t framesPerChannel = 0;  // sampleCount / channels
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t bitRate = 0;            // avgBytesPerSecond x 8
    uint32_t avgBytesPerSecond = 0;  // of the stream's own (coded) type
    double duration = 0;             // of the file, seconds
    std::string path;                // as the host passed it (UTF-8)

    // One entry per audio stream, in stream order.
    std::vector<uint32_t> streamChannels;
    std::vector<uint32_t> streamBitRates;
    std::vector<uint32_t> streamAvgBytesPerSecond;
    std::vector<uint32_t> streamSampleRates;
    std::vector<uint32_t> streamSampleCounts;
    std::vector<uint32_t> streamFramesPerChannel;
    std::vector<uint32_t> audioStreams;  // source reader stream indices, ascending

    std::vector<MorvalePlatform::ComPtr<IMFMediaType>> streamTypes;  // as found at open
    std::vector<MorvalePlatform::ComPtr<IMFMediaType>> pcmTypes;     // after PCM was asked for

    MorvalePlatform::ComPtr<IMFSourceReader> sourceReader;
    MorvalePlatform::ComPtr<IMFSinkWriter> sinkWriter;
    // Reading: the caller's stream number, then the source reader's index of
    // that stream; writing: the sink writer's stream index.
    int64_t streamIndex = 0;
    uint32_t bitsPerSample = 0;  // of the decoded PCM of the selected stream
    bool propertiesRead = false;
    bool opened = false;
};

// The samples a stream of that rate, duration and channel count holds, all
// channels together: the whole part of rate x duration x channels, rounded
// up to a whole number of frames.
uint32_t audioSampleCount(uint32_t sampleRate, double duration, uint32_t channels);

}  // namespace TravexUtils
