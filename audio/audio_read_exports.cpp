// ReadAudioData and ReadAudioProperties: one audio stream of a file as a
// planar raw array of signed 16-bit samples, and every audio stream's
// properties as an association on the link; both from the file's record in
// the audio cache. A call that fails with a registered error removes the
// path's entry, so the next call starts afresh; any other failure (code 6)
// leaves it.
#include <cstdint>
#include <optional>
#include <string>

#include "audio/audio_bodies.h"
#include "audio/audio_cache.h"
#include "audio/claimed_samples.h"
#include "bridge/call_frame.h"
#include "bridge/export.h"
#include "bridge/raw_array.h"
#include "link/property_association.h"

using namespace TravexUtils;

namespace {

// Lets the record's source reader go however the call ends: the cache keeps
// what was learnt about the file, never the open file.
class ReaderRelease {
public:
    explicit ReaderRelease(AudioRecord& record) noexcept : record_(record) {}
    ~ReaderRelease() { record_.releaseReader(); }
    ReaderRelease(const ReaderRelease&) = delete;
    ReaderRelease& operator=(const ReaderRelease&) = delete;

private:
    AudioRecord& record_;
};

void forgetAfterRegisteredError(const std::optional<std::string>& path, int code) {
    if (path && code != kFunctionErrorCode) AudioCache::remove(*path);
}

}  // namespace

namespace TravexUtils {

void readAudioData(MArgumentManager& manager, std::optional<std::string>& path) {
    path = manager.getString(0);
    const auto stream = static_cast<int32_t>(manager.getInteger(1));
    AudioRecord& record = AudioCache::getOrCreate(*path);
    const ReaderRelease release(record);
    record.streamIndex = stream;
    record.open();
    record.readProperties();
    record.selectStream();

    checkClaimedSamples(*path, record.sampleCount);
    RawArray<short> samples({static_cast<mint>(record.channels), static_cast<mint>(record.framesPerChannel)});
    record.readSamples(samples.data());
    manager.setArrayResult(samples);
}

void readAudioProperties(LinkStream& stream, std::optional<std::string>& path) {
    path = readPathArgument(stream);
    AudioRecord& record = AudioCache::getOrCreate(*path);
    {
        const ReaderRelease release(record);
        record.open();
        record.readProperties();
    }
    PropertyAssociation streams(stream);
    for (std::size_t k = 0; k < record.streamChannels.size(); ++k) {
        streams.beginNumberedRule(static_cast<int32_t>(k + 1));
        PropertyAssociation properties(stream);
        properties.putInteger("Channels", static_cast<int32_t>(record.streamChannels[k]))
            .putInteger("SampleRate", static_cast<int32_t>(record.streamSampleRates[k]))
            .putInteger("SampleCount", static_cast<int32_t>(record.streamSampleCounts[k]))
            .putInteger("BitRate", static_cast<int32_t>(record.streamBitRates[k]))
            .putReal("Duration", record.duration);
        properties.end();
    }
    streams.end();
}

}  // namespace TravexUtils

MORVALE_EXPORT int ReadAudioData(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    std::optional<std::string> path;
    return runLibraryFunction(
        libData, Argc, Args, Res, [&path](MArgumentManager& manager) { readAudioData(manager, path); },
        [&path](MArgumentManager&, int code) { forgetAfterRegisteredError(path, code); });
}

MORVALE_EXPORT int ReadAudioProperties(KorvelLibraryData /*libData*/, SRLINK link) {
    std::optional<std::string> path;
    return runLinkFunction(
        [&] {
            LinkStream stream(link);
            readAudioProperties(stream, path);
        },
        [&](int code) { forgetAfterRegisteredError(path, code); });
}
