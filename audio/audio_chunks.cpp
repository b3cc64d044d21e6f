#include "audio/audio_chunks.h"

#include <algorithm>
#include <cstring>

namespace TravexUtils {

namespace {

int64_t chunkDuration(uint32_t frames) { return static_cast<int64_t>(frames * 226.7578125); }

}  // namespace

std::vector<AudioChunk> audioChunks(uint32_t framesPerChannel) {
    std::vector<AudioChunk> chunks;
    chunks.reserve(framesPerChannel / kAudioChunkFrames + 1);
    int64_t time = 0;
    for (uint32_t position = 0; position < framesPerChannel;) {
        const uint32_t frames = std::min(framesPerChannel - position, kAudioChunkFrames);
        if (time != 0) time -= 1;  // the reduced time is the running time from here on
        chunks.push_back({time, chunkDuration(frames), position, frames});
        time += chunkDuration(frames);
        position += frames;
    }
    return chunks;
}

void interleaveChunk(const int16_t* planar, uint32_t framesPerChannel, uint32_t channels, uint32_t position,
                     uint32_t frames, int16_t* out) {
    if (channels == 1) {
        std::memcpy(out, planar + position, std::size_t{frames} * sizeof(int16_t));
        return;
    }
    for (uint32_t c = 0; c < channels; ++c) {
        const int16_t* row = planar + std::size_t{c} * framesPerChannel + position;
        for (uint32_t f = 0; f < frames; ++f) out[std::size_t{f} * channels + c] = row[f];
    }
}

}  // namespace TravexUtils
