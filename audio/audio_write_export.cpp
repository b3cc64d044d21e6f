// WriteAudio: a planar raw array of signed 16-bit samples ({channels,
// frames}, one or two channels) written as an AAC stream at 44100 or 48000
// Hz and one of four bit rates to a path with an accepted audio extension.
// Arguments are checked before any file is made. The audio cache is not
// used: the record lives for the call.
#include <cstdint>
#include <string>

#include "audio/audio_bodies.h"
#include "audio/audio_record.h"
#include "bridge/call_frame.h"
#include "bridge/export.h"

using namespace TravexUtils;

namespace TravexUtils {

void writeAudio(MArgumentManager& manager) {
    const RawArray<short> samples = manager.getRawArray(0);
    if (samples.rank() != 2) {
        ErrorManager::throwException("RankError", "Invalid RawArray rank: received " +
                                                      std::to_string(samples.rank()) + " expected 2");
    }
    const mint channels = samples.dimensions()[0];
    if (channels != 1 && channels != 2) {
        ErrorManager::throwException("DimensionsError", "Invalid number of channels: received " +
                                                            std::to_string(channels) + " expected 1 or 2");
    }
    const auto sampleRate = static_cast<uint32_t>(manager.getInteger(1));
    if (sampleRate != 44100 && sampleRate != 48000) {
        ErrorManager::throwException("NumericalError", "Invalid sample rate: received " +
                                                           std::to_string(sampleRate) + " expected 44100 Hz or 48000 Hz");
    }
    const auto bitRate = static_cast<uint32_t>(manager.getInteger(2));
    if (bitRate != 96000 && bitRate != 128000 && bitRate != 160000 && bitRate != 192000) {
        ErrorManager::throwException("NumericalError",
                                     "Invalid bitrate: received " + std::to_string(bitRate) +
                                         " expected one of the following: 96000, 128000, 160000, 192000");
    }

    AudioRecord record(manager.getString(3));
    record.bitRate = bitRate;
    record.avgBytesPerSecond = bitRate / 8;
    record.sampleRate = sampleRate;
    record.sampleCount = static_cast<uint32_t>(samples.flattenedLength());
    record.channels = static_cast<uint32_t>(channels);
    record.framesPerChannel = record.sampleCount / record.channels;
    record.setUpWriter();
    record.writeSamples(samples.data());
    record.releaseWriter();
    manager.setString(record.path);
}

}  // namespace TravexUtils

MORVALE_EXPORT int WriteAudio(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(libData, Argc, Args, Res, writeAudio);
}
