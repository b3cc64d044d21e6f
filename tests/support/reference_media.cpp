#include "tests/support/reference_media.h"

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace morvale_test {
namespace {

struct PipeClose {
    void operator()(FILE* f) const { pclose(f); }
};

std::string quoted(const std::string& path) { return "'" + path + "'"; }

double ratio(const std::string& text) {
    const auto slash = text.find('/');
    if (slash == std::string::npos) return std::stod(text);
    const double den = std::stod(text.substr(slash + 1));
    return den == 0 ? 0 : std::stod(text.substr(0, slash)) / den;
}

}  // namespace

std::string commandOutput(const std::string& command) {
    std::unique_ptr<FILE, PipeClose> pipe(popen(command.c_str(), "r"));
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string out;
    char buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
    return out;
}

std::vector<std::map<std::string, std::string>> compactRecords(const std::string& text) {
    std::vector<std::map<std::string, std::string>> records;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::map<std::string, std::string> fields;
        std::istringstream parts(line);
        std::string part;
        while (std::getline(parts, part, '|')) {
            const auto equals = part.find('=');
            if (equals != std::string::npos) fields[part.substr(0, equals)] = part.substr(equals + 1);
        }
        if (!fields.empty()) records.push_back(std::move(fields));
    }
    return records;
}

std::vector<uint8_t> referenceRgbFrames(const std::string& path) {
    const std::string bytes =
        commandOutput("ffmpeg -nostdin -v error -i " + quoted(path) + " -map 0:v:0 -f rawvideo -pix_fmt rgb24 -");
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

ProbeFacts probeVideo(const std::string& path) {
    const std::string text = commandOutput(
        "ffprobe -v error -select_streams v:0 -show_entries "
        "stream=width,height,r_frame_rate,codec_name,bit_rate:format=duration -of default=nw=1 " +
        quoted(path));
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    ProbeFacts facts;
    facts.width = static_cast<uint32_t>(std::stoul(values.at("width")));
    facts.height = static_cast<uint32_t>(std::stoul(values.at("height")));
    facts.frameRate = ratio(values.at("r_frame_rate"));
    facts.codecName = values.at("codec_name");
    if (values.count("duration") && values["duration"] != "N/A") facts.duration = std::stod(values["duration"]);
    if (values.count("bit_rate") && values["bit_rate"] != "N/A") facts.bitRate = std::stoll(values["bit_rate"]);
    return facts;
}

void requireVideoSize(const std::string& path, uint32_t width, uint32_t height) {
    const ProbeFacts facts = probeVideo(path);
    if (facts.width != width || facts.height != height) {
        throw std::runtime_error(path + " is " + std::to_string(facts.width) + "x" + std::to_string(facts.height) +
                                 ", not " + std::to_string(width) + "x" + std::to_string(height));
    }
}

std::vector<double> packetDurations(const std::string& path) {
    const std::string text = commandOutput(
        "ffprobe -v error -select_streams v:0 -show_entries packet=duration_time -of csv=p=0 " + quoted(path));
    std::vector<double> durations;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line != "N/A") durations.push_back(std::stod(line));
    }
    return durations;
}

}  // namespace morvale_test
