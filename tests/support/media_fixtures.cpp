#include "tests/support/media_fixtures.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>

#include "tests/support/reference_media.h"

namespace morvale_test {
namespace fs = std::filesystem;

namespace {

const std::string kQuiet = "ffmpeg -nostdin -v error -y ";
const std::string kPattern = "-f lavfi -i testsrc2=size=";

// ffmpeg arguments per fixture, the output path is appended.
const std::map<std::string, std::string>& recipes() {
    static const std::map<std::string, std::string> r = {
        {"h264_320x240.mp4", kPattern + "320x240:rate=25 -frames:v 50 -c:v libx264 -pix_fmt yuv420p -g 12"},
        {"h264_1080p.mp4", kPattern + "1920x1080:rate=30 -frames:v 12 -c:v libx264 -preset ultrafast -pix_fmt yuv420p"},
        {"h264_5frames.mp4", kPattern + "160x120:rate=10 -frames:v 5 -c:v libx264 -pix_fmt yuv420p"},
        {"mpeg4_320x240.avi", kPattern + "320x240:rate=25 -frames:v 25 -c:v mpeg4 -q:v 3"},
        {"vp9_320x240.webm", kPattern + "320x240:rate=25 -frames:v 20 -c:v libvpx-vp9 -deadline realtime -b:v 300k"},
        {"mjpeg_320x240.avi", kPattern + "320x240:rate=25 -frames:v 15 -c:v mjpeg -q:v 3"},
        {"rgb_lossless.avi", kPattern + "64x48:rate=25 -frames:v 8 -c:v rawvideo -pix_fmt bgr24"},
        // testsrc2 rounds sizes to even numbers; testsrc keeps them.
        {"rgb_33x17.avi", "-f lavfi -i testsrc=size=33x17:rate=25 -frames:v 6 -c:v rawvideo -pix_fmt bgr24"},
        {"audio_first.mp4", "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=1 " + kPattern +
                                "160x120:rate=10:duration=1 -map 0:a -map 1:v -frames:v 10 -c:a aac -c:v libx264 -pix_fmt yuv420p"},
    };
    return r;
}

// The frame size each video fixture claims: checked with ffprobe when it is
// made, and once per process for a file made earlier (an older recipe may
// have made it at another size).
const std::map<std::string, std::pair<uint32_t, uint32_t>>& claimedSizes() {
    static const std::map<std::string, std::pair<uint32_t, uint32_t>> sizes = {
        {"h264_320x240.mp4", {320, 240}}, {"h264_1080p.mp4", {1920, 1080}}, {"h264_5frames.mp4", {160, 120}},
        {"mpeg4_320x240.avi", {320, 240}}, {"vp9_320x240.webm", {320, 240}}, {"mjpeg_320x240.avi", {320, 240}},
        {"rgb_lossless.avi", {64, 48}},    {"rgb_33x17.avi", {33, 17}},      {"audio_first.mp4", {160, 120}},
    };
    return sizes;
}

bool hasClaimedSize(const fs::path& path, const std::string& name) {
    const auto claimed = claimedSizes().find(name);
    if (claimed == claimedSizes().end()) return true;
    const ProbeFacts facts = probeVideo(path.string());
    return facts.width == claimed->second.first && facts.height == claimed->second.second;
}

void run(const std::string& command, const std::string& what) {
    if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot make fixture " + what + ": " + command);
}

// Holds an exclusive lock on the fixture directory while fixtures are made.
class DirectoryLock {
public:
    explicit DirectoryLock(const fs::path& dir) : fd_(::open((dir / ".lock").c_str(), O_CREAT | O_RDWR, 0644)) {
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~DirectoryLock() {
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_UN);
            ::close(fd_);
        }
    }
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

private:
    int fd_;
};

void make(const std::string& name, const fs::path& target);

void make(const std::string& name, const fs::path& target) {
    const fs::path partial = target.string() + ".partial" + target.extension().string();
    if (name == "empty.mp4") {
        std::ofstream(partial, std::ios::binary).flush();
    } else if (name == "text.mp4") {
        std::ofstream(partial) << "This is a text file, not a video.\n";
    } else if (name == "truncated.mp4") {
        const fs::path whole = target.parent_path() / "h264_320x240.mp4";
        if (!fs::exists(whole)) make("h264_320x240.mp4", whole);  // the lock is already held
        std::ifstream in(whole, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::ofstream(partial, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 3));
    } else {
        const auto it = recipes().find(name);
        if (it == recipes().end()) throw std::runtime_error("unknown fixture " + name);
        run(kQuiet + it->second + " '" + partial.string() + "'", name);
        if (!hasClaimedSize(partial, name)) throw std::runtime_error("fixture " + name + " came out at another size");
    }
    fs::rename(partial, target);
}

}  // namespace

std::string fixture(const std::string& name) {
    return madeFixture(name, [&name](const std::string& path) { make(name, path); });
}

std::string madeFixture(const std::string& name, const std::function<void(const std::string& path)>& write) {
    const fs::path dir = MORVALE_FIXTURE_DIR;
    const fs::path target = dir / name;
    static std::set<std::string> checked;  // fixtures whose size this process has seen
    if (checked.count(name)) return target.string();
    fs::create_directories(dir);
    DirectoryLock lock(dir);
    if (fs::exists(target) && !hasClaimedSize(target, name)) fs::remove(target);
    if (!fs::exists(target)) write(target.string());
    checked.insert(name);
    return target.string();
}

std::string scratchDirectory(const std::string& name) {
    const fs::path dir = fs::path(MORVALE_FIXTURE_DIR) / "scratch" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

}  // namespace morvale_test
