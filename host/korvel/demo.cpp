#include "host/korvel/demo.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>
#include <iostream>

#include "host/korvel/audio_calls.h"
#include "host/korvel/call_runner.h"
#include "host/korvel/error_report.h"

namespace korvel {
namespace {

// Runs one step; prints its result or its error. False when it failed.
bool step(const LoadedLibrary& library, const std::string& title, const std::string& function,
          const std::vector<std::string>& args, const CallOptions& options = {}) {
    const CallOutcome outcome = runCall(library, function, args, options);
    if (outcome.code != 0) {
        std::cout << title << ": failed " << describeFailure(library, outcome.code) << "\n";
        return false;
    }
    std::cout << title << ": " << outcome.json << "\n";
    return true;
}

// The sample's audio properties, and its first audio stream written back
// through WriteAudio as an M4A file whose properties are read again.
bool audioSteps(const LoadedLibrary& library, const std::string& samplePath, const std::string& out) {
    bool ok = step(library, "audio properties", "ReadAudioProperties", {samplePath});
    const int rate = audioSampleRate(library, samplePath, 1);
    if (rate != 44100 && rate != 48000) {
        std::cout << "audio round trip: skipped (WriteAudio takes 44100 or 48000 Hz, the sample has " << rate << ")\n";
        return ok;
    }
    std::filesystem::create_directories(out);
    const std::string written = (std::filesystem::path(out) / "round_trip.m4a").string();
    ok = step(library, "audio written by WriteAudio", "WriteAudio", {samplePath, std::to_string(rate), "128000", written}) &&
         ok;
    return step(library, "audio properties of the written file", "ReadAudioProperties", {written}) && ok;
}

// A short clip written with the library's writer from the frames just
// saved, and read back with its reader.
bool writeClip(const LoadedLibrary& library, const std::string& framesFolder) {
    const std::string clip = framesFolder + "-clip.mp4";
    return step(library, "those frames written as an H.264 clip", "MFWriteVideo",
                {clip, framesFolder, "2000000", "25", "", "H264"}) &&
           step(library, "the clip read back, its frame count", "MFReadVideoFrameCount", {clip});
}

}  // namespace

int runDemo(const LoadedLibrary& library, const std::string& samplePath, const std::string& outputDirectory) {
    std::cout << "library interface version: " << library.version() << "\n";
    const int code = library.initialize();
    std::cout << "initialisation returned: " << code << "\n";
    if (code != 0) return 1;
    if (samplePath.empty()) return 0;

    std::cout << "sample: " << samplePath << "\n";
    bool ok = step(library, "video properties", "MFReadVideoProperties", {samplePath});
    ok = step(library, "frame count", "MFReadVideoFrameCount", {samplePath}) && ok;

    const std::string out = outputDirectory.empty() ? "demo-frames" : outputDirectory;
    std::filesystem::remove_all(out);
    CallOptions options;
    options.out = out;
    ok = step(library, "frames 1, 2 and 3", "MFReadVideoData", {samplePath, "1,2,3"}, options) && ok;
    if (ok) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        std::cout << "frames written to " << std::filesystem::absolute(out).string() << ":";
        for (const std::string& name : names) std::cout << " " << name;
        std::cout << "\n";
        ok = writeClip(library, out) && ok;
    }
    // The same frames through the DirectShow graph, hashed beside the Media
    // Foundation ones: the two readers hand out the same pixels.
    CallOptions checksum;
    checksum.checksum = true;
    const CallOutcome mf = runCall(library, "MFReadVideoData", {samplePath, "1,2,3"}, checksum);
    const CallOutcome ds = runCall(library, "DSReadVideoData", {samplePath, "1,2,3"}, checksum);
    if (ds.code != 0) {
        std::cout << "frames 1, 2 and 3 through DirectShow: failed " << describeFailure(library, ds.code) << "\n";
        ok = false;
    } else {
        std::cout << "frames 1, 2 and 3 through DirectShow: " << ds.json << "\n";
        std::cout << "the same pixels through Media Foundation: "
                  << (mf.code == 0 && mf.json == ds.json ? "yes" : "no") << "\n";
        ok = ok && mf.code == 0 && mf.json == ds.json;
    }
    ok = audioSteps(library, samplePath, out) && ok;
    return ok ? 0 : 1;
}

}  // namespace korvel
