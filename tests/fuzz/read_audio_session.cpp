// readAudioFile; see read_audio_session.h.
#include "tests/fuzz/read_audio_session.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "host/stand_in/host_stand_in.h"
#include "tests/fuzz/process_health.h"

extern "C" {
int ReadAudioData(KorvelLibraryData, mint, MArgument*, MArgument);
int ReadAudioProperties(KorvelLibraryData, SRLINK);
int DeleteAudioCache(KorvelLibraryData, mint, MArgument*, MArgument);
}

namespace morvale_fuzz {
namespace {

using morvale_test::ExportCall;

struct StreamShape {
    long long channels = 0;
    long long sampleCount = 0;  // as sent: a 32-bit integer, all channels together
};

class AudioSession : private CheckedCalls {
public:
    AudioSession(const std::string& path, const RegisteredCodes& codes, SessionReport& report)
        : CheckedCalls(codes, report), path_(path) {}

    // The shape of each audio stream, in order; none when the call failed.
    std::optional<std::vector<StreamShape>> properties() {
        const auto reply = runOverLink("ReadAudioProperties", ReadAudioProperties, path_);
        if (!reply) return std::nullopt;
        std::vector<StreamShape> streams;
        for (const SrValue& rule : reply->args) {
            const bool numbered = rule.isFunction("Rule") && rule.args.size() == 2 &&
                                  rule.args[0].kind == SrValue::Kind::Integer &&
                                  rule.args[0].integer == static_cast<long long>(streams.size() + 1);
            const auto channels = numbered ? integerRule(rule.args[1], "Channels") : std::nullopt;
            const auto count = numbered ? integerRule(rule.args[1], "SampleCount") : std::nullopt;
            if (!channels || !count || *channels <= 0) {
                problem("ReadAudioProperties sent a stream that is not numbered in order with channels and samples");
                return std::nullopt;
            }
            streams.push_back({*channels, *count});
        }
        return streams;
    }

    // ReadAudioData of one stream number. With the properties known, a
    // number past the streams must fail and a read must have its stream's
    // shape.
    void samples(long long stream, const std::optional<std::vector<StreamShape>>& streams) {
        ExportCall call;
        call.string(path_).number(stream);
        const std::string label = "ReadAudioData " + std::to_string(stream);
        const int code = run(label, ReadAudioData, call, Result::RawArray, 0);
        if (!streams) return;
        const std::size_t k = stream == 0 ? 0 : static_cast<std::size_t>(stream - 1);
        if (k >= streams->size()) {
            if (code == 0) problem(label + " read a stream the file does not have");
            return;
        }
        if (code != 0) return;
        const std::vector<mint> dims = korvel::rawArrayDimensions(call.rawArray());
        const StreamShape& shape = (*streams)[k];
        const bool shaped = dims.size() == 2 && dims[0] == shape.channels &&
                            static_cast<uint32_t>(dims[0] * dims[1]) == static_cast<uint32_t>(shape.sampleCount);
        if (!shaped) problem(label + " returned an array of another shape than the stream's properties");
    }

    void dropCacheEntry() { CheckedCalls::dropCacheEntry("DeleteAudioCache", DeleteAudioCache, path_); }

private:
    const std::string& path_;
};

}  // namespace

SessionReport readAudioFile(const std::string& path, const RegisteredCodes& codes, AudioSequence sequence) {
    const ProcessHealth health;
    SessionReport report;
    AudioSession session(path, codes, report);
    const auto streams = session.properties();
    if (sequence != AudioSequence::Properties) {
        session.samples(static_cast<long long>(sequence) - static_cast<long long>(AudioSequence::StreamZero), streams);
    }
    session.dropCacheEntry();
    for (std::string& problem : health.problems()) report.problems.push_back("after the file: " + problem);
    return report;
}

}  // namespace morvale_fuzz
