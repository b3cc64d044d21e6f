// The fixture registry as parallel test processes use it: a file made once
// however many processes ask at the same time, never seen half-written, and
// makers that ask for other fixtures do not wait for themselves.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/media_fixtures.h"

namespace {

namespace fs = std::filesystem;

// Runs body in a child process that must exit 0 within 60 s (a maker waiting
// for its own lock would otherwise hang the test).
pid_t inChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(60);
        ::_exit(body());
    }
    return pid;
}

int exitCode(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST(MediaFixtures, ParallelProcessesMakeAFileOnceAndSeeItWhole) {
    const std::string tag = std::to_string(::getpid());
    const std::string name = "registry_" + tag + ".txt";
    const std::string makers = morvale_test::scratchDirectory("registry_" + tag) + "/makers";
    const std::string whole(1 << 20, 'x');
    std::vector<pid_t> children;
    for (int i = 0; i < 4; ++i) {
        children.push_back(inChild([&] {
            const std::string path = morvale_test::madeFixture(name, [&](const std::string& partial) {
                std::ofstream(makers, std::ios::app) << "made\n";
                std::ofstream out(partial, std::ios::binary);
                for (std::size_t at = 0; at < whole.size(); at += 4096) {
                    out.write(whole.data() + at, 4096);
                    if (at % (64 * 4096) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
            });
            return morvale_test::fileBytes(path) == whole ? 0 : 1;
        }));
    }
    for (const pid_t child : children) EXPECT_EQ(exitCode(child), 0) << "every process sees the whole file";
    EXPECT_EQ(morvale_test::fileBytes(makers), "made\n") << "one process made it";
    fs::remove(fs::path(MORVALE_FIXTURE_DIR) / name);
}

TEST(MediaFixtures, AMakerMayAskForAnotherFixture) {
    const std::string tag = std::to_string(::getpid());
    const pid_t child = inChild([&] {
        const std::string outer = morvale_test::madeFixture("outer_" + tag + ".txt", [&](const std::string& partial) {
            const std::string inner = morvale_test::madeFixture(
                "inner_" + tag + ".txt", [](const std::string& path) { std::ofstream(path) << "inner"; });
            std::ofstream(partial) << morvale_test::fileBytes(inner) << " outer";
        });
        return morvale_test::fileBytes(outer) == "inner outer" ? 0 : 1;
    });
    EXPECT_EQ(exitCode(child), 0);
    for (const char* part : {"outer_", "inner_"}) fs::remove(fs::path(MORVALE_FIXTURE_DIR) / (part + tag + ".txt"));
}

}  // namespace
