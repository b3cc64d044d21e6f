#include "host/korvel/audio_calls.h"

#include <stdexcept>

#include "host/korvel/checksum.h"
#include "host/korvel/error_report.h"
#include "host/korvel/link_calls.h"
#include "host/korvel/wav_files.h"
#include "host/sr64i4/json_text.h"
#include "host/stand_in/host_arguments.h"
#include "host/stand_in/host_stand_in.h"

namespace korvel {

MRawArray decodeAudioArgument(const LoadedLibrary& library, const std::string& path) {
    void* symbol = library.symbol("ReadAudioData");
    if (symbol == nullptr) throw std::runtime_error("ReadAudioData is not exported by the library");
    HostArguments arguments;
    arguments.addString(path).addInteger(0);
    const int code = arguments.call(reinterpret_cast<LibraryFunction>(symbol), ResultKind::RawArray);
    if (code != 0) {
        throw std::runtime_error("cannot decode audio from " + path + ": " + describeFailure(library, code));
    }
    MRawArray samples = arguments.result().rawArray;
    arguments.result().rawArray = nullptr;  // the caller owns it now
    return samples;
}

int audioSampleRate(const LoadedLibrary& library, const std::string& path, long long stream) {
    void* symbol = library.symbol("ReadAudioProperties");
    if (symbol == nullptr) return 0;
    int code = 0;
    const std::optional<SrValue> streams = callOverLink(symbol, {SrValue::ofString(path)}, code);
    if (!streams || !streams->isFunction("Association")) return 0;
    const long long wanted = stream <= 0 ? 1 : stream;
    for (const SrValue& rule : streams->args) {
        if (!rule.isFunction("Rule") || rule.args.size() != 2 || rule.args[0].integer != wanted) continue;
        for (const SrValue& property : rule.args[1].args) {
            if (property.args.size() == 2 && property.args[0].text == "SampleRate") {
                return static_cast<int>(property.args[1].integer);
            }
        }
    }
    return 0;
}

std::string renderRawArray(MRawArray samples, const CallOptions& options) {
    const std::vector<mint> dims = rawArrayDimensions(samples);
    std::string json = "{\"dimensions\":[";
    mint count = 1;
    for (std::size_t i = 0; i < dims.size(); ++i) {
        if (i > 0) json += ',';
        json += std::to_string(dims[i]);
        count *= dims[i];
    }
    json += "]";
    const short* data = rawArrayData(samples);
    if (options.checksum) {
        json += ",\"checksum\":\"" +
                checksum(reinterpret_cast<const unsigned char*>(data), static_cast<std::size_t>(count) * 2) + "\"";
    } else if (!options.out.empty()) {
        if (dims.size() != 2) throw std::runtime_error("only {channels, frames} arrays can be written as WAV");
        if (options.audioSampleRate <= 0) throw std::runtime_error("the sample rate of the audio is not known");
        writeWav(options.out, data, static_cast<int>(dims[0]), dims[1], options.audioSampleRate);
        json += ",\"sampleRate\":" + std::to_string(options.audioSampleRate) + ",\"out\":" + sr::jsonString(options.out);
    }
    return json + "}";
}

}  // namespace korvel
