#include "host/korvel/argument_text.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "host/korvel/audio_calls.h"
#include "host/korvel/media_files.h"

namespace korvel {
namespace {

std::vector<std::string> splitCommas(const std::string& text) {
    std::vector<std::string> parts;
    if (text.empty()) return parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) parts.push_back(part);
    if (text.back() == ',') parts.emplace_back();
    return parts;
}

double parseReal(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') throw std::invalid_argument("not a number: \"" + text + "\"");
    return value;
}

}  // namespace

long long parseInteger(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE) {
        throw std::invalid_argument("not an integer: \"" + text + "\"");
    }
    return value;
}

std::vector<long long> parseIntegerList(const std::string& text) {
    std::vector<long long> values;
    for (const std::string& part : splitCommas(text)) values.push_back(parseInteger(part));
    return values;
}

std::vector<double> parseRealList(const std::string& text) {
    std::vector<double> values;
    for (const std::string& part : splitCommas(text)) values.push_back(parseReal(part));
    return values;
}

void checkArgumentCount(std::span<const ArgumentKind> kinds, const std::vector<std::string>& texts) {
    if (kinds.size() != texts.size()) {
        throw std::invalid_argument("expected " + std::to_string(kinds.size()) + " argument(s), got " +
                                    std::to_string(texts.size()));
    }
}

void addArgumentsFromText(HostArguments& arguments, std::span<const ArgumentKind> kinds,
                          const std::vector<std::string>& texts, const LoadedLibrary* library) {
    checkArgumentCount(kinds, texts);
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const std::string& text = texts[i];
        switch (kinds[i]) {
            case ArgumentKind::String: arguments.addString(text); break;
            case ArgumentKind::Integer: arguments.addInteger(parseInteger(text)); break;
            case ArgumentKind::IntegerList: arguments.addIntegers(parseIntegerList(text)); break;
            case ArgumentKind::RealList: arguments.addReals(parseRealList(text)); break;
            case ArgumentKind::Image: arguments.adoptImage(readImageArgument(text, library)); break;
            case ArgumentKind::RawArray:
                if (!library) throw std::invalid_argument("raw array arguments need the library to decode audio");
                arguments.adoptRawArray(decodeAudioArgument(*library, text));
                break;
        }
    }
}

}  // namespace korvel
