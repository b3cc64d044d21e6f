// korvel: a command-line host for the Morvale library.
//
//   korvel --version                       the library's host interface version
//   korvel demo [SAMPLE [OUTDIR]]          the main job on a sample clip
//   korvel FUNCTION ARGS... [--out PATH] [--checksum]
//                                          one call, its result as JSON
//   korvel                                 one call per line from standard input,
//                                          all in one process, one JSON line each
//
// A failed call prints {"error": NAME, "code": CODE, "message": MESSAGE} on
// standard error (on standard output in a session, as that call's line) and
// exits 1. Usage errors exit 2. With KORVEL_REPORT_EXIT set in the
// environment, korvel's last act is a line "korvel: exit CODE" on standard
// error, written after the library was unloaded: a harness can then tell the
// code korvel returned from a fault in the system's own process teardown.
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/korvel/call_runner.h"
#include "host/korvel/command_line.h"
#include "host/korvel/demo.h"
#include "host/korvel/error_report.h"
#include "host/korvel/loaded_library.h"

namespace {

int runOne(const korvel::LoadedLibrary& library, const korvel::Invocation& invocation, std::ostream& errorStream) {
    const korvel::CallOutcome outcome =
        korvel::runCall(library, invocation.function, invocation.arguments, invocation.options);
    if (outcome.code != 0) {
        errorStream << korvel::describeFailure(library, outcome.code) << std::endl;
        return 1;
    }
    std::cout << outcome.json << std::endl;
    return 0;
}

int runSession(const korvel::LoadedLibrary& library) {
    int status = 0;
    std::string line;
    while (std::getline(std::cin, line)) {
        try {
            const std::vector<std::string> words = korvel::splitWords(line);
            if (words.empty() || words.front().starts_with('#')) continue;
            const korvel::Invocation invocation = korvel::parseInvocation(words);
            if (runOne(library, invocation, std::cout) != 0) status = 1;
        } catch (const std::exception& e) {
            std::cout << korvel::describeUsageError(e.what()) << std::endl;
            status = 1;
        }
    }
    return status;
}

int runKorvel(std::vector<std::string> words, const char* program) {
    try {
        std::string libraryPath = korvel::defaultLibraryPath(program);
        if (words.size() >= 2 && words[0] == "--library") {
            libraryPath = words[1];
            words.erase(words.begin(), words.begin() + 2);
        }
        korvel::LoadedLibrary library(libraryPath);
        if (!words.empty() && words[0] == "--version") {
            std::cout << library.version() << std::endl;
            return 0;
        }
        if (!words.empty() && (words[0] == "--help" || words[0] == "-h")) {
            std::cout << korvel::usageText();
            return 0;
        }
        if (!words.empty() && words[0] == "demo") {
            return korvel::runDemo(library, words.size() > 1 ? words[1] : "", words.size() > 2 ? words[2] : "");
        }
        if (const int code = library.initialize(); code != 0) {
            std::cerr << "korvel: library initialisation returned " << code << std::endl;
            return 1;
        }
        if (words.empty()) return runSession(library);
        return runOne(library, korvel::parseInvocation(words), std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "korvel: " << e.what() << std::endl;
        return 2;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int code = runKorvel(std::vector<std::string>(argv + 1, argv + argc), argv[0]);
    if (std::getenv("KORVEL_REPORT_EXIT") != nullptr) std::cerr << "korvel: exit " << code << std::endl;
    return code;
}
