#include "tests/support/sized_clips.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "tests/support/reference_media.h"

namespace morvale_test {
namespace fs = std::filesystem;

namespace {

// Exclusive lock on the fixture directory while a clip is made.
class ClipLock {
public:
    explicit ClipLock(const fs::path& dir) : fd_(::open((dir / ".sized.lock").c_str(), O_CREAT | O_RDWR, 0644)) {
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~ClipLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    ClipLock(const ClipLock&) = delete;
    ClipLock& operator=(const ClipLock&) = delete;

private:
    int fd_;
};

}  // namespace

std::string sizedClipName(const SizedClip& clip) {
    std::string name = clip.codec + "_" + clip.pixelFormat + "_" + std::to_string(clip.width) + "x" +
                       std::to_string(clip.height) + "_" + std::to_string(clip.frames) + "f";
    if (!clip.extra.empty()) {
        name += '_';
        name += std::to_string(std::hash<std::string>{}(clip.extra) % 100000);
    }
    return name + "." + clip.container;
}

void requireVideoSize(const std::string& path, uint32_t width, uint32_t height) {
    const ProbeFacts facts = probeVideo(path);
    if (facts.width != width || facts.height != height) {
        throw std::runtime_error(path + " is " + std::to_string(facts.width) + "x" + std::to_string(facts.height) +
                                 ", not " + std::to_string(width) + "x" + std::to_string(height));
    }
}

std::string sizedClip(const SizedClip& clip) {
    const fs::path dir = MORVALE_FIXTURE_DIR;
    const fs::path target = dir / sizedClipName(clip);
    if (fs::exists(target)) return target.string();
    fs::create_directories(dir);
    ClipLock lock(dir);
    if (fs::exists(target)) return target.string();
    const fs::path partial = dir / ("partial-" + sizedClipName(clip));
    const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=" + std::to_string(clip.width) +
                                "x" + std::to_string(clip.height) + ":rate=25 -frames:v " +
                                std::to_string(clip.frames) + " -c:v " + clip.codec + " -pix_fmt " +
                                clip.pixelFormat + " " + clip.extra + " '" + partial.string() + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot make " + target.string() + ": " + command);
    requireVideoSize(partial.string(), clip.width, clip.height);
    fs::rename(partial, target);
    return target.string();
}

}  // namespace morvale_test
