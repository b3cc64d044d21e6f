#include "host/korvel/media_files.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <utility>
#include <vector>

#include "host/korvel/png_files.h"
#include "host/stand_in/host_arguments.h"
#include "host/stand_in/host_stand_in.h"

namespace korvel {
namespace fs = std::filesystem;

namespace {

bool isPng(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".png";
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
