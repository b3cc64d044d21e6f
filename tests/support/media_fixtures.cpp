#include "tests/support/media_fixtures.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <stdexcept>

#include "tests/support/reference_media.h"

namespace morvale_test {
namespace fs = std::filesystem;

namespace {

const std::string kQuiet = "ffmpeg -nostdin -v error -y ";

struct Recipe {
    const char* name;
    const char* file;       // stem and extension; the extension picks the container
    std::string arguments;  // ffmpeg arguments before the output, or what the file holds
    std::optional<Fixture> source = std::nullopt;  // made first; its path is the input ("-i")
};

Recipe recipeOf(Fixture fixture) {
    const std::string testsrc = "-f lavfi -i testsrc=size=";
    const std::string testsrc2 = "-f lavfi -i testsrc2=size=";
    const std::string x264 = " -c:v libx264 -pix_fmt yuv420p";
    switch (fixture) {
        case Fixture::H264Small:
            return {"H264Small", "h264_320x240.mp4", testsrc + "320x240:rate=25 -frames:v 50" + x264 + " -g 12 -bf 2"};
        case Fixture::H264FullHd:
            return {"H264FullHd", "h264_1920x1080.mp4",
                    testsrc2 + "1920x1080:rate=25 -frames:v 10 -c:v libx264 -preset ultrafast -pix_fmt yuv420p"};
        case Fixture::H264FiveFrames:
            return {"H264FiveFrames", "h264_five_frames.mp4", testsrc + "160x120:rate=25 -frames:v 5" + x264 + " -bf 2"};
        case Fixture::Mpeg4Avi:
            return {"Mpeg4Avi", "mpeg4.avi", testsrc + "320x240:rate=25 -frames:v 25 -c:v mpeg4 -q:v 3"};
        case Fixture::Vp9Webm:
            return {"Vp9Webm", "vp9.webm",
                    testsrc + "160x120:rate=25 -frames:v 25 -c:v libvpx-vp9 -deadline realtime -cpu-used 8 -b:v 300k"};
        case Fixture::MjpegAvi:
            return {"MjpegAvi", "mjpeg.avi", testsrc + "320x240:rate=25 -frames:v 25 -c:v mjpeg -q:v 3"};
        case Fixture::RgbAvi:
            return {"RgbAvi", "rgb24.avi", testsrc + "64x48:rate=25 -frames:v 10 -c:v rawvideo -pix_fmt bgr24"};
        case Fixture::RgbOddAvi:
            // testsrc keeps odd sizes (testsrc2 rounds them to even ones).
            return {"RgbOddAvi", "rgb24_33x17.avi", testsrc + "33x17:rate=25 -frames:v 7 -c:v rawvideo -pix_fmt bgr24"};
        case Fixture::AudioFirstMp4:
            return {"AudioFirstMp4", "audio_first.mp4",
                    "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 " + testsrc +
                        "160x120:rate=25:duration=2 -map 0:a -map 1:v -c:a aac -b:a 128k" + x264};
        case Fixture::H264FastStart:
            return {"H264FastStart", "h264_faststart.mp4",
                    testsrc + "320x240:rate=25 -frames:v 50" + x264 + " -g 12 -bf 2 -movflags +faststart"};
        case Fixture::H264Default:
            return {"H264Default", "h264_default.mp4", testsrc2 + "320x240:rate=25 -frames:v 60" + x264};
        case Fixture::H264OpenGop:
            return {"H264OpenGop", "h264_open_gop.mp4",
                    testsrc2 + "320x240:rate=25 -frames:v 100" + x264 +
                        " -g 20 -keyint_min 20 -sc_threshold 0 -bf 3 -x264-params open-gop=1"};
        case Fixture::H264Long:
            return {"H264Long", "h264_long.mp4",
                    testsrc + "160x120:rate=25 -frames:v 1500 -c:v libx264 -preset superfast -pix_fmt yuv420p "
                              "-g 25 -keyint_min 25 -sc_threshold 0"};
        case Fixture::H264Avi:
            return {"H264Avi", "h264_bframes.avi", testsrc2 + "160x120:rate=25 -frames:v 30" + x264 + " -bf 2"};
        case Fixture::H264Cut:
            // Stream copy from 1.3 s: the copy starts at the key frame
            // before, and an edit list hides the frames up to 1.3 s.
            return {"H264Cut", "h264_cut.mp4", "-ss 1.3 -i {source} -c copy", Fixture::H264OpenGop};
        case Fixture::H264OneKeyFrame:
            return {"H264OneKeyFrame", "h264_one_key_frame.mp4",
                    testsrc2 + "64x48:rate=25 -frames:v 1300 -c:v libx264 -preset superfast -pix_fmt yuv420p "
                               "-g 100000 -keyint_min 100000 -sc_threshold 0"};
        case Fixture::RgbTinyAvi:
            return {"RgbTinyAvi", "rgb24_5x4.avi", testsrc + "5x4:rate=25 -frames:v 3 -c:v rawvideo -pix_fmt bgr24"};
        case Fixture::H264VfrMkv:
            return {"H264VfrMkv", "h264_vfr.mkv",
                    testsrc + "160x120:rate=25 -frames:v 20 -vf \"setpts=N*(N+3)/2/25/TB\" -fps_mode passthrough" +
                        x264};
        case Fixture::AudioOnlyM4a:
            return {"AudioOnlyM4a", "audio_only.m4a", "-f lavfi -t 1 -i sine=frequency=440 -c:a aac"};
        case Fixture::Empty: return {"Empty", "empty.mp4", ""};
        case Fixture::Truncated: return {"Truncated", "truncated.mp4", "first third", Fixture::H264Small};
        case Fixture::Text: return {"Text", "text.mp4", "This is a text file, not a video.\n"};
    }
    throw std::logic_error("unknown fixture");
}

// 64-bit FNV-1a, for the recipe hash in file names.
std::string shortHash(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(hash ^ (hash >> 32)));
    return hex;
}

std::string fileName(const Recipe& recipe) {
    const fs::path file(recipe.file);
    return file.stem().string() + "-" + shortHash(recipe.arguments) + file.extension().string();
}

fs::path fixtureDirectory() {
    const fs::path dir(MORVALE_FIXTURE_DIR);
    fs::create_directories(dir);
    return dir;
}

// Exclusive lock on the fixture directory, across processes (flock) and
// threads. A maker may ask for another fixture while the lock is held (a
// recipe reading another fixture); the nested lock is the one already held,
// as a second flock from this process would wait for itself.
class FixtureLock {
public:
    FixtureLock() {
        mutex().lock();
        if (depth()++ == 0) {
            descriptor() = ::open((fixtureDirectory() / ".lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
            if (descriptor() >= 0) ::flock(descriptor(), LOCK_EX);
        }
    }
    ~FixtureLock() {
        if (--depth() == 0 && descriptor() >= 0) ::close(descriptor());  // closing releases the flock
        mutex().unlock();
    }
    FixtureLock(const FixtureLock&) = delete;
    FixtureLock& operator=(const FixtureLock&) = delete;

private:
    static std::recursive_mutex& mutex() {
        static std::recursive_mutex m;
        return m;
    }
    static int& depth() {
        static int d = 0;
        return d;
    }
    static int& descriptor() {
        static int fd = -1;
        return fd;
    }
};

// A fixture made from a pattern of a stated size must come out at that size
// (testsrc2 would round 33x17 to 32x16 without a word).
void checkClaimedSize(const Recipe& recipe, const std::string& path) {
    const auto at = recipe.arguments.find("size=");
    if (at == std::string::npos) return;
    unsigned width = 0, height = 0;
    if (std::sscanf(recipe.arguments.c_str() + at, "size=%ux%u", &width, &height) != 2) return;
    requireVideoSize(path, width, height);
}

void make(const Recipe& recipe, const std::string& partial) {
    const std::string source = recipe.source ? fixturePath(*recipe.source) : std::string();
    if (recipe.file == std::string("empty.mp4") || recipe.file == std::string("text.mp4")) {
        writeFileBytes(partial, recipe.arguments);
    } else if (recipe.file == std::string("truncated.mp4")) {
        const std::string whole = fileBytes(source);
        writeFileBytes(partial, whole.substr(0, whole.size() / 3));
    } else {
        std::string arguments = recipe.arguments;
        if (const auto at = arguments.find("{source}"); at != std::string::npos) {
            arguments.replace(at, 8, "'" + source + "'");
        }
        const std::string command = kQuiet + arguments + " '" + partial + "'";
        if (std::system(command.c_str()) != 0) {
            throw std::runtime_error(std::string("cannot make fixture ") + recipe.name + ": " + command);
        }
        checkClaimedSize(recipe, partial);
    }
}

}  // namespace

std::string fixtureName(Fixture fixture) { return recipeOf(fixture).name; }

std::string fixturePath(Fixture fixture) {
    const Recipe recipe = recipeOf(fixture);
    return madeFixture(fileName(recipe), [&recipe](const std::string& partial) { make(recipe, partial); });
}

std::string madeFixture(const std::string& name, const std::function<void(const std::string& path)>& write) {
    const fs::path target = fixtureDirectory() / name;
    if (fs::exists(target)) return target.string();  // published by rename: complete
    FixtureLock lock;
    if (fs::exists(target)) return target.string();
    const fs::path partial = target.parent_path() / ("partial-" + name);
    write(partial.string());
    fs::rename(partial, target);
    return target.string();
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::string writeFixtureFile(const std::string& name, const std::string& bytes) {
    const fs::path target = fixtureDirectory() / name;
    FixtureLock lock;
    const fs::path partial = target.parent_path() / ("partial-" + name);
    writeFileBytes(partial.string(), bytes);
    fs::rename(partial, target);
    return target.string();
}

std::string scratchDirectory(const std::string& name) {
    const fs::path dir = fs::path(MORVALE_FIXTURE_DIR) / "scratch" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

}  // namespace morvale_test
