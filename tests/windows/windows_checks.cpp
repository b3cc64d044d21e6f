// Checks of the Windows build that need Windows (or Wine) to run:
//   windows_checks.exe DIR
// DIR holds reference pictures made by FFmpeg: ref.png with its pixels as
// packed RGB in ref.rgb (64 x 48), gray.png (8-bit gray) with gray.rgb. The
// program also writes DIR/written.png from ref.rgb for the caller to decode
// with an independent decoder. Prints one line per check and exits 1 if any
// failed.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/korvel/native_library.h"
#include "host/korvel/png_files.h"
#include "platform/utf.h"

namespace {

namespace fs = std::filesystem;

int failures = 0;

void check(bool ok, const std::string& name, const std::string& detail = "") {
    std::printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", name.c_str(), detail.empty() ? "" : ": ", detail.c_str());
    if (!ok) ++failures;
}

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The exception text of f(), or "" when it does not throw.
template <class F>
std::string failureOf(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

void checkWidePaths() {
    const auto wide = MorvalePlatform::utf8ToWide("C:\\caf\xC3\xA9\\\xF0\x9F\x8E\xAC.mp4");
    check(wide.has_value() && *wide == L"C:\\caf\u00E9\\\xD83C\xDFAC.mp4", "utf8ToWide gives UTF-16 with surrogate pairs");
    const auto back = wide ? MorvalePlatform::wideToUtf8(*wide) : std::nullopt;
    check(back.has_value() && *back == "C:\\caf\xC3\xA9\\\xF0\x9F\x8E\xAC.mp4", "wideToUtf8 joins the pairs again");
    check(!MorvalePlatform::wideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD83C))).has_value(),
          "a lone high surrogate is refused");
}

void checkPictureMatches(const fs::path& png, const fs::path& rgb, int width, int height, const std::string& name) {
    const std::string why = failureOf([&] {
        const korvel::RgbPicture picture = korvel::readRgbPicture(png.string());
        const std::vector<uint8_t> expected = readBytes(rgb);
        if (picture.width != width || picture.height != height) {
            throw std::runtime_error("size " + std::to_string(picture.width) + "x" + std::to_string(picture.height));
        }
        if (picture.pixels != expected) throw std::runtime_error("pixels differ from FFmpeg's");
    });
    check(why.empty(), name, why);
}

void checkPng(const fs::path& dir) {
    checkPictureMatches(dir / "ref.png", dir / "ref.rgb", 64, 48, "an RGB PNG reads as FFmpeg decodes it");
    checkPictureMatches(dir / "gray.png", dir / "gray.rgb", 64, 48, "a gray PNG reads as RGB like FFmpeg's");

    const std::vector<uint8_t> ref = readBytes(dir / "ref.rgb");
    std::string why = failureOf([&] { korvel::writeRgbPng((dir / "written.png").string(), ref.data(), 64, 48); });
    check(why.empty(), "writing a PNG", why);

    // An odd width: rows of 3 x 5 bytes are not 4-byte aligned.
    std::vector<uint8_t> small(5 * 3 * 3);
    for (std::size_t i = 0; i < small.size(); ++i) small[i] = static_cast<uint8_t>(i * 37 + 11);
    const std::string name = (dir / "odd \xC3\xAF\xF0\x9F\x8E\xAC.png").string();  // non-ASCII name, UTF-8
    why = failureOf([&] {
        korvel::writeRgbPng(name, small.data(), 5, 3);
        const korvel::RgbPicture back = korvel::readRgbPicture(name);
        if (back.width != 5 || back.height != 3 || back.pixels != small) throw std::runtime_error("round trip differs");
    });
    check(why.empty(), "odd-width PNG under a non-ASCII name round-trips exactly", why);

    const std::string missing = (dir / "missing.png").string();
    why = failureOf([&] { korvel::readRgbPicture(missing); });
    check(why.find(missing) != std::string::npos, "reading a missing PNG fails naming the file", why);
    const std::string unwritable = (dir / "no-such-folder" / "out.png").string();
    why = failureOf([&] { korvel::writeRgbPng(unwritable, small.data(), 5, 3); });
    check(why.find(unwritable) != std::string::npos, "writing into a missing folder fails naming the file", why);
}

void checkLoader(const char* argv0) {
    const fs::path self = korvel::executableFile(argv0);
    check(self.is_absolute() && self.filename() == "windows_checks.exe", "executableFile finds the running program",
          self.string());

    const std::string library = (self.parent_path() / "morvale.dll").string();
    std::string why = failureOf([&] {
        korvel::NativeLibrary handle = korvel::openNativeLibrary(library);
        auto getVersion = reinterpret_cast<long long (*)()>(korvel::findNativeSymbol(handle, "KorvelLibrary_getVersion"));
        const bool found = getVersion != nullptr && getVersion() == 5 &&
                           korvel::findNativeSymbol(handle, "MFReadVideoData") != nullptr &&
                           korvel::findNativeSymbol(handle, "NoSuchEntryPoint") == nullptr;
        korvel::closeNativeLibrary(handle);
        if (!found) throw std::runtime_error("entry points not as exported");
    });
    check(why.empty(), "morvale.dll loads with its SR64I4.dll and exports by plain name", why);

    const std::string missing = (self.parent_path() / "no-such-library.dll").string();
    why = failureOf([&] { korvel::openNativeLibrary(missing); });
    check(why.find(missing) != std::string::npos && why.find("Win32 error 126") != std::string::npos,
          "loading a missing DLL fails with the path and the system's reason", why);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: windows_checks.exe DIR\n");
        return 2;
    }
    try {
        checkWidePaths();
        checkPng(argv[1]);
        checkLoader(argv[0]);
    } catch (const std::exception& e) {
        check(false, "checks ran to the end", e.what());
    }
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
