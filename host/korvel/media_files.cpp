#include "host/korvel/media_files.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "host/korvel/png_files.h"
#include "host/stand_in/host_arguments.h"
#include "host/stand_in/host_stand_in.h"

namespace korvel {
namespace fs = std::filesystem;

namespace {

std::string lowerExtension(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

bool isPng(const fs::path& path) { return lowerExtension(path) == ".png"; }

struct FrameSize {
    mint width = 0;
    mint height = 0;
};

// The frame size a raw frames file names: "NAME.WIDTHxHEIGHT.rgb24".
std::optional<FrameSize> rawFrameSize(const fs::path& path) {
    if (lowerExtension(path) != ".rgb24") return std::nullopt;
    const std::string size = path.stem().extension().string();  // ".WIDTHxHEIGHT"
    const char* const end = size.data() + size.size();
    FrameSize frame;
    const auto width = std::from_chars(size.data() + std::min<std::size_t>(1, size.size()), end, frame.width);
    const bool named = width.ec == std::errc() && width.ptr != end && *width.ptr == 'x' &&
                       std::from_chars(width.ptr + 1, end, frame.height).ptr == end && frame.width > 0 &&
                       frame.height > 0;
    if (!named) throw std::runtime_error("a raw frames file is named NAME.WIDTHxHEIGHT.rgb24: " + path.string());
    return frame;
}

// Raw frames, read straight into the host image: as many frames as the file
// holds whole ones.
MImage readRawFrames(const fs::path& path, FrameSize size) {
    const auto frameBytes = static_cast<std::uintmax_t>(size.width) * static_cast<std::uintmax_t>(size.height) * 3;
    const std::uintmax_t fileBytes = fs::file_size(path);
    if (fileBytes == 0 || fileBytes % frameBytes != 0) {
        throw std::runtime_error(path.string() + " does not hold whole frames of " + std::to_string(size.width) +
                                 "x" + std::to_string(size.height) + " RGB");
    }
    std::ifstream in(path, std::ios::binary);
    std::unique_ptr<st_MImage, void (*)(MImage)> image(
        newHostImage(static_cast<mint>(fileBytes / frameBytes), size.width, size.height, 3, MImage_Type_Bit8, true),
        freeHostImage);
    auto* out = reinterpret_cast<char*>(const_cast<unsigned char*>(imageData(image.get())));
    if (!in.read(out, static_cast<std::streamsize>(fileBytes))) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return image.release();
}

// Every frame of the video, as the library's own reader decodes it.
MImage readVideoFrames(const std::string& path, const LoadedLibrary& library) {
    auto readVideoData = reinterpret_cast<LibraryFunction>(library.symbol("MFReadVideoData"));
    if (readVideoData == nullptr) throw std::runtime_error("MFReadVideoData is not exported");
    HostArguments arguments;
    arguments.addString(path).addIntegers({});
    const int code = arguments.call(readVideoData, ResultKind::Image);
    if (code != 0) {
        throw std::runtime_error("cannot read the frames of " + path + " (MFReadVideoData returned " +
                                 std::to_string(code) + ")");
    }
    return std::exchange(arguments.result().image, nullptr);
}

}  // namespace

MImage readImageArgument(const std::string& path, const LoadedLibrary* library) {
    if (const std::optional<FrameSize> size = rawFrameSize(path)) return readRawFrames(path, *size);
    if (!fs::is_directory(path) && !isPng(path) && library != nullptr) {
        return readVideoFrames(path, *library);
    }
    if (!fs::is_directory(path)) {
        const RgbPicture picture = readRgbPicture(path);
        MImage image = newHostImage(0, picture.width, picture.height, 3, MImage_Type_Bit8, true);
        std::memcpy(const_cast<unsigned char*>(imageData(image)), picture.pixels.data(), picture.pixels.size());
        return image;
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(path)) {
        if (entry.is_regular_file() && entry.path().extension() == ".png") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) throw std::runtime_error("no PNG frames in " + path);
    std::vector<RgbPicture> pictures;
    for (const auto& file : files) {
        pictures.push_back(readRgbPicture(file.string()));
        if (pictures.back().width != pictures.front().width || pictures.back().height != pictures.front().height) {
            throw std::runtime_error("frames of different sizes in " + path);
        }
    }
    const int width = pictures.front().width;
    const int height = pictures.front().height;
    MImage image = newHostImage(static_cast<mint>(pictures.size()), width, height, 3, MImage_Type_Bit8, true);
    auto* out = const_cast<unsigned char*>(imageData(image));
    for (const RgbPicture& picture : pictures) {
        std::memcpy(out, picture.pixels.data(), picture.pixels.size());
        out += picture.pixels.size();
    }
    return image;
}

}  // namespace korvel
