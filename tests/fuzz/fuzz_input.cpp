// Fuzzer input to media file; see fuzz_input.h.
#include "tests/fuzz/fuzz_input.h"

#include <unistd.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace morvale_fuzz {
namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 9> kExtensions = {".mp4", ".mov", ".mkv", ".webm", ".avi",
                                                        ".wmv", ".ts",  ".mpg", ".flv"};
constexpr std::array<std::string_view, 6> kAudioExtensions = {".wav", ".m4a", ".mp4", ".mp3", ".flac", ".mkv"};

fs::path defaultParent() {
    std::error_code error;
    if (fs::is_directory("/dev/shm", error)) return "/dev/shm";
    return fs::temp_directory_path();
}

}  // namespace

std::span<const std::string_view> containerExtensions() { return kExtensions; }
std::span<const std::string_view> audioExtensions() { return kAudioExtensions; }

MediaInput splitInput(std::span<const uint8_t> input, std::span<const std::string_view> extensions,
                      unsigned sequences) {
    if (input.empty()) return {input, extensions[0], 0};
    const unsigned selector = input.back();
    return {input.first(input.size() - 1), extensions[selector % extensions.size()],
            static_cast<unsigned>(selector / extensions.size() % sequences)};
}

uint8_t extensionSelector(std::string_view extension, std::span<const std::string_view> extensions,
                          unsigned sequence) {
    for (std::size_t i = 0; i < extensions.size(); ++i) {
        const std::size_t selector = sequence * extensions.size() + i;
        if (extensions[i] == extension && selector <= UINT8_MAX) return static_cast<uint8_t>(selector);
    }
    throw std::invalid_argument("no selector for extension " + std::string(extension) + " and sequence " +
                                std::to_string(sequence));
}

InputFiles::InputFiles() : InputFiles(defaultParent()) {}

InputFiles::InputFiles(const fs::path& parent)
    : directory_(parent / ("morvale-fuzz-" + std::to_string(::getpid()))) {
    fs::create_directories(directory_);
}

InputFiles::~InputFiles() {
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
}

std::string InputFiles::write(const MediaInput& input) {
    const fs::path path = directory_ / ("input" + std::string(input.extension));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(input.content.data()), static_cast<std::streamsize>(input.content.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

}  // namespace morvale_fuzz
