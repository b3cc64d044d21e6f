// How a fuzzer input becomes a media file for the library to open, and
// which of its target's call sequences reads it. The last byte picks the
// file name extension (byte % extensions) and the call sequence
// (byte / extensions % sequences), so that the bytes, the name the platform
// sees and the calls made are all under the fuzzer's control; the bytes
// before it are the file. The file lives on a memory-backed file system and each process
// rewrites the same few paths, one per extension.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace morvale_fuzz {

// Extensions of the containers the platform reads, indexed by the selector
// byte modulo their count: the video containers, and the audio files and
// containers (the reading targets each take one list).
std::span<const std::string_view> containerExtensions();
std::span<const std::string_view> audioExtensions();

struct MediaInput {
    std::span<const uint8_t> content;  // the file's bytes
    std::string_view extension;        // ".mp4", ".mkv", ...
    unsigned sequence = 0;             // below the target's number of sequences
};

// Empty input: an empty file with the list's first extension, sequence 0.
MediaInput splitInput(std::span<const uint8_t> input,
                      std::span<const std::string_view> extensions = containerExtensions(), unsigned sequences = 1);

// The selector byte that splitInput reads as that extension and sequence, for
// making seeds; throws std::invalid_argument for an extension not in the list
// or a sequence the byte cannot hold.
uint8_t extensionSelector(std::string_view extension,
                          std::span<const std::string_view> extensions = containerExtensions(), unsigned sequence = 0);

// A directory of this process's input files, removed with everything in it
// when the object goes.
class InputFiles {
public:
    // Under /dev/shm when it exists, else the system's temporary directory.
    InputFiles();
    explicit InputFiles(const std::filesystem::path& parent);
    InputFiles(const InputFiles&) = delete;
    InputFiles& operator=(const InputFiles&) = delete;
    ~InputFiles();

    // Replaces the file for the input's extension with its content and
    // returns the file's path. Throws std::runtime_error when it cannot.
    std::string write(const MediaInput& input);

private:
    std::filesystem::path directory_;
};

}  // namespace morvale_fuzz
