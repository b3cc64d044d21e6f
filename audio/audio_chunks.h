// How the audio writer cuts planar samples into the sink writer's input
// samples: chunks of at most 1024 frames, each timed in 100 ns units with a
// fixed step of 226.7578125 units per frame. Every chunk after the first
// starts one unit before the running time (full chunk k at
// k x 232200 - k), so the shift accumulates; the sink writer counts frames,
// not times, so that neither drops nor repeats audio.
#pragma once

#include <cstdint>
#include <vector>

namespace TravexUtils {

struct AudioChunk {
    int64_t time = 0;      // 100 ns
    int64_t duration = 0;  // 100 ns
    uint32_t position = 0;  // first frame
    uint32_t frames = 0;
};

inline constexpr uint32_t kAudioChunkFrames = 1024;

// The chunks of a stream of that many frames per channel, in order.
std::vector<AudioChunk> audioChunks(uint32_t framesPerChannel);

// Interleaves frames [position, position + frames) of planar samples
// (channel c's frame f at c x framesPerChannel + f) into out: frame 0
// channel 0, frame 0 channel 1, frame 1 channel 0, ...
void interleaveChunk(const int16_t* planar, uint32_t framesPerChannel, uint32_t channels, uint32_t position,
                     uint32_t frames, int16_t* out);

}  // namespace TravexUtils
