// Replays saved fuzzer inputs without libFuzzer: every file named on the
// command line, and every file in every directory named (hidden files
// skipped), in name order, through the target's LLVMFuzzerTestOneInput,
// each in every call sequence of the target (fuzz_target.h). With
// --own-sequence first, each input is read only by the sequence its last
// byte picks, as in the campaign: every sequence still runs on some inputs,
// at a sixth of the cost, which is what a slow race-detecting tree needs.
// A crash or trap names the input it happened on; an empty replay fails, so
// a moved corpus cannot pass unnoticed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> inputsOf(const fs::path& argument) {
    if (!fs::is_directory(argument)) return {argument};
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(argument)) {
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.') files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    int first = 1;
    if (argc > 1 && std::string_view(argv[1]) == "--own-sequence") {
        ++first;
    } else {
        morvale_fuzz::readEverySequence();
    }
    std::size_t replayed = 0;
    for (int i = first; i < argc; ++i) {
        if (!fs::exists(argv[i])) {
            std::printf("%s: not there, nothing to replay\n", argv[i]);
            continue;
        }
        for (const fs::path& file : inputsOf(argv[i])) {
            std::printf("%s\n", file.c_str());
            std::fflush(stdout);
            std::ifstream in(file, std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::printf("replayed %zu input(s)\n", replayed);
    return replayed > 0 ? 0 : 1;
}
