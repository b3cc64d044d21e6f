#include "host/korvel/demo.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>
#include <iostream>

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
    }
    // The same frames through the DirectShow graph, hashed beside the Media
    // Foundation ones: the two readers hand out the same pixels.
    CallOptions checksum;
    checksum.checksum = true;
    const CallOutcome mf = runCall(library, "MFReadVideoData", {samplePath, "1,2,3"}, checksum);
    const CallOutcome ds = runCall(library, "DSReadVideoData", {samplePath, "1,2,3"}, checksum);
    if (ds.code != 0) {
        std::cout << "frames 1, 2 and 3 through DirectShow: failed " << describeFailure(library, ds.code) << "\n";
        return 1;
    }
    std::cout << "frames 1, 2 and 3 through DirectShow: " << ds.json << "\n";
    std::cout << "the same pixels through Media Foundation: " << (mf.code == 0 && mf.json == ds.json ? "yes" : "no")
              << "\n";
    ok = ok && mf.code == 0 && mf.json == ds.json;
    return ok ? 0 : 1;
}

}  // namespace korvel
