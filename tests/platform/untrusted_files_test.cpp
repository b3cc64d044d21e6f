// Files someone else made: the source reader reads the one file it is given
// and nothing else (no playlists, concatenation lists, image sequences,
// pipes or URLs named inside a file), knows the decoders' frame size limits
// (a file beyond them is refused through the exports, in
// tests/video_read/untrusted_input_test.cpp), gives up on stalled input, and
// treats only a real "scheme://" prefix as a URL.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "media_probes.h"
#include "platform/linux/frame_size_limits.h"
#include "platform/linux/io_deadline.h"
#include "platform/linux/media_file.h"
#include "platform/linux/test_control.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

using MorvalePlatform::FrameSizeLimits;
using MorvalePlatform::IoDeadline;
namespace fs = std::filesystem;

// Tells whether anyone opened or read a file since the watch began.
class OpenWatch {
public:
    explicit OpenWatch(const std::string& path) : fd_(inotify_init1(IN_NONBLOCK)) {
        if (fd_ < 0 || inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_ACCESS) < 0) {
            ADD_FAILURE() << "cannot watch " << path << ": " << std::strerror(errno);
        }
    }
    ~OpenWatch() { ::close(fd_); }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;

    bool opened() const {
        alignas(inotify_event) char events[4096];
        return ::read(fd_, events, sizeof(events)) > 0;
    }

private:
    int fd_;
};

// A TCP port on the loopback address that accepts nothing: a connection
// attempt would sit in its queue.
class QuietListener {
public:
    QuietListener() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(fd_, 4) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "cannot listen on the loopback address: " << std::strerror(errno);
        }
        port_ = ntohs(address.sin_port);
    }
    ~QuietListener() { ::close(fd_); }
    QuietListener(const QuietListener&) = delete;
    QuietListener& operator=(const QuietListener&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/segment.ts"; }
    bool contacted() const {
        pollfd waiting{fd_, POLLIN, 0};
        return ::poll(&waiting, 1, 0) > 0;
    }

private:
    int fd_;
    int port_ = 0;
};

struct NamingFile {
    const char* name;
    const char* extension;
    std::string (*text)(const std::string& target);
};

std::string liveHls(const std::string& target) {
    return "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\n" + target + "\n";
}
std::string finishedHls(const std::string& target) {
    return "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:2\n#EXTINF:2.0,\n" + target + "\n#EXT-X-ENDLIST\n";
}
std::string ffconcat(const std::string& target) { return "ffconcat version 1.0\nfile '" + target + "'\n"; }
std::string concatList(const std::string& target) { return "file '" + target + "'\n"; }

// One row per kind of list, each named as a container.
const NamingFile kNamingFiles[] = {
    {"LiveHlsAsTs", ".ts", liveHls},       {"HlsAsMkv", ".mkv", finishedHls},
    {"FfconcatAsAvi", ".avi", ffconcat},   {"ConcatListAsMp4", ".mp4", concatList},
};

class FilesNamingOthers : public ::testing::TestWithParam<NamingFile> {};

// Whatever the file names, a local media file or a URL, is never touched,
// and the open fails at once instead of waiting for a live playlist.
TEST_P(FilesNamingOthers, AreRefusedWithoutOpeningWhatTheyName) {
    const NamingFile& kind = GetParam();
    const std::string named = writeFixtureFile(std::string("named_") + kind.name + ".mp4",
                                               morvale_test::fileBytes(fixturePath(Fixture::H264FiveFrames)));
    QuietListener listener;
    for (const std::string& target : {named, "file:" + named, listener.url()}) {
        const std::string playlist =
            writeFixtureFile(std::string("naming_") + kind.name + kind.extension, kind.text(target));
        OpenWatch watch(named);
        const auto start = std::chrono::steady_clock::now();
        {
            ReaderSession session;
            ComPtr<IMFSourceReader> reader;
            EXPECT_EQ(session.open(playlist, reader), MF_E_UNSUPPORTED_BYTESTREAM_TYPE) << target;
            EXPECT_FALSE(reader);
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << target;
        EXPECT_FALSE(watch.opened()) << target << " was opened";
        EXPECT_FALSE(listener.contacted()) << target << " was contacted";
        EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), 0);
    }
    // The watch itself sees an open.
    OpenWatch watch(named);
    std::ifstream(named).get();
    EXPECT_TRUE(watch.opened());
}

INSTANTIATE_TEST_SUITE_P(Playlists, FilesNamingOthers, ::testing::ValuesIn(kNamingFiles),
                         [](const auto& instance) { return std::string(instance.param.name); });

// Things that are not a media file in one of the platform's containers.
TEST(UntrustedFiles, PipesImagesAndRawStreamsAreNotOpened) {
    const std::string fifo = std::string(MORVALE_FIXTURE_DIR) + "/fifo.mp4";
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // opening it would block: no writer
    const std::string png = std::string(MORVALE_FIXTURE_DIR) + "/picture.png";
    runCommand("ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=32x32 -frames:v 1 '" + png + "'");
    const std::string pictureAsMp4 = writeFixtureFile("picture.mp4", morvale_test::fileBytes(png));
    const std::string h264 = std::string(MORVALE_FIXTURE_DIR) + "/raw.h264";
    runCommand("ffmpeg -nostdin -v error -y -i '" + fixturePath(Fixture::H264FiveFrames) +
               "' -c copy -bsf:v h264_mp4toannexb -f h264 '" + h264 + "'");
    const std::string rawAsMp4 = writeFixtureFile("raw_h264.mp4", morvale_test::fileBytes(h264));
    for (const std::string& path : {fifo, pictureAsMp4, rawAsMp4, std::string("/dev/zero")}) {
        ReaderSession session;
        ComPtr<IMFSourceReader> reader;
        EXPECT_EQ(session.open(path, reader), MF_E_UNSUPPORTED_BYTESTREAM_TYPE) << path;
    }
    ::unlink(fifo.c_str());
    EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), 0);
}

struct UrlCase {
    const char* url;
    bool local;
    const char* path;  // the path read, for a local one
};

TEST(UntrustedFiles, OnlyARealSchemeAtTheStartMakesAUrl) {
    const UrlCase cases[] = {
        {"/clips/a.mp4", true, "/clips/a.mp4"},
        {"file:///clips/a.mp4", true, "/clips/a.mp4"},
        {"file://localhost/clips/a.mp4", true, "/clips/a.mp4"},
        {"FILE:///clips/a.mp4", true, "/clips/a.mp4"},
        {"/clips/take://2.mp4", true, "/clips/take://2.mp4"},
        {"take 2://a.mp4", true, "take 2://a.mp4"},
        {"2take://a.mp4", true, "2take://a.mp4"},
        {"://a.mp4", true, "://a.mp4"},
        {"http://example.invalid/a.mp4", false, ""},
        {"hls+http://example.invalid/a.m3u8", false, ""},
        {"concat:/a.mp4|/b.mp4", true, "concat:/a.mp4|/b.mp4"},
    };
    for (const UrlCase& c : cases) {
        std::string path;
        EXPECT_EQ(MorvalePlatform::urlToPath(c.url, path), c.local) << c.url;
        if (c.local) {
            EXPECT_EQ(path, c.path) << c.url;
        }
    }
}

TEST(UntrustedFiles, LocalNameWithASchemeLikePartOpens) {
    const fs::path folder = fs::path(MORVALE_FIXTURE_DIR) / "take:";
    fs::create_directories(folder);
    const fs::path clip = folder / "clip.mp4";
    fs::copy_file(fixturePath(Fixture::H264FiveFrames), clip, fs::copy_options::overwrite_existing);
    const std::string path = std::string(MORVALE_FIXTURE_DIR) + "/take://clip.mp4";
    ReaderSession session;
    ComPtr<IMFSourceReader> reader;
    EXPECT_EQ(session.open(path, reader), S_OK) << path;
    ComPtr<IMFSourceReader> concat;
    EXPECT_EQ(session.open("concat:" + path + "|" + path, concat), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND))
        << "FFmpeg's protocol prefixes are file names here";
}

TEST(UntrustedFiles, FrameSizeLimits) {
    struct Size {
        int64_t width, height;
        bool accepted;
    };
    const Size sizes[] = {
        {8192, 4320, true}, {4320, 8192, true}, {4320, 7680, true}, {7680, 4320, true}, {0, 0, true},
        {1, 8192, true},    {8193, 16, false},  {16, 8193, false},  {8192, 4321, false}, {6000, 6000, false},
        {16000, 16000, false}, {-1, 16, false},
    };
    for (const Size& s : sizes) {
        EXPECT_EQ(FrameSizeLimits::accepts(s.width, s.height), s.accepted) << s.width << "x" << s.height;
    }
}

// The interrupt deadline: given up only after the limit passes with no
// progress in the file, and only while FFmpeg keeps waiting.
TEST(UntrustedFiles, DeadlineCountsOnlyStalledWaiting) {
    using std::chrono::milliseconds;
    struct Call {
        int atMs;
        int64_t position;
        bool expired;
    };
    struct Scenario {
        const char* name;
        std::vector<Call> calls;
    };
    const Scenario scenarios[] = {
        {"waiting in place runs out", {{0, 0, false}, {50, 0, false}, {100, 0, false}, {150, 0, false},
                                       {200, 0, false}, {250, 0, true}, {300, 0, true}}},
        {"reading on never runs out", {{0, 0, false}, {80, 10, false}, {160, 20, false}, {240, 30, false},
                                       {320, 40, false}, {400, 50, false}}},
        {"progress starts the count again", {{0, 0, false}, {80, 0, false}, {160, 0, false}, {190, 5, false},
                                             {270, 5, false}, {350, 5, false}, {430, 5, true}}},
        {"a pause between operations starts a new one",
         {{0, 0, false}, {80, 0, false}, {160, 0, false}, {400, 0, false}, {480, 0, false}, {560, 0, false},
          {640, 0, true}}},
    };
    for (const Scenario& scenario : scenarios) {
        IoDeadline deadline(milliseconds(200), milliseconds(100));
        const auto origin = IoDeadline::Clock::now();
        for (const Call& call : scenario.calls) {
            EXPECT_EQ(deadline.expired(origin + milliseconds(call.atMs), call.position), call.expired)
                << scenario.name << " at " << call.atMs << " ms";
        }
    }
}

}  // namespace
}  // namespace PlatformTest
