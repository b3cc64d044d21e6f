// Which source folders may include which. The product is layered: the
// framework over the host interface (bridge) at the bottom, the link stream
// over it, the platform beside them on its own, the media helpers joining
// the two, video and audio over all of those, and the exports (lifecycle
// entry points, export manifest) on top. The host stand-ins and korvel sit
// above the product and see only its interface; the tests see everything.
// No folder includes one above it, so each layer builds and tests without
// the ones above.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Folder -> the other folders its files may include.
const std::map<std::string, std::set<std::string>>& allowedIncludes() {
    static const std::map<std::string, std::set<std::string>> rules = {
        {"bridge", {}},
        {"link", {"bridge"}},
        {"platform", {}},
        {"media", {"bridge", "platform"}},
        {"video", {"bridge", "link", "platform", "media"}},
        {"audio", {"bridge", "link", "platform", "media"}},
        {"exports", {"bridge", "link", "platform", "media", "video", "audio"}},
        {"host", {"bridge", "link", "platform", "exports"}},
    };
    return rules;
}

// Top-level folders that hold sources but are not layers of the product:
// the tests, benchmarks and the scripts' helper programs may include anything.
const std::set<std::string>& unlayeredFolders() {
    static const std::set<std::string> folders = {"tests", "bench", "scripts"};
    return folders;
}

// The top-level folder an include line names ("video" for
// #include "video/read/x.h"), or nothing for other lines and for includes
// without a folder (system headers, same-folder headers).
std::optional<std::string> includedFolder(const std::string& line) {
    static const std::regex include(R"(^\s*#\s*include\s*["<]([A-Za-z0-9_.\-]+)/[^">]*[">])");
    std::smatch match;
    if (!std::regex_search(line, match, include)) return std::nullopt;
    const std::string folder = match[1];
    if (!allowedIncludes().contains(folder) && !unlayeredFolders().contains(folder)) return std::nullopt;
    return folder;
}

bool isSource(const fs::path& path) {
    const std::string extension = path.extension().string();
    return extension == ".h" || extension == ".cpp" || extension == ".hpp" || extension == ".cc";
}

// "file:line: includes folder" for each include of a folder the file's own
// folder may not include.
std::vector<std::string> violations(const fs::path& root, const std::string& folder) {
    const std::set<std::string>& allowed = allowedIncludes().at(folder);
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
        if (!entry.is_regular_file() || !isSource(entry.path())) continue;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            const std::optional<std::string> included = includedFolder(line);
            if (included && *included != folder && !allowed.contains(*included)) {
                found.push_back(fs::relative(entry.path(), root).string() + ":" + std::to_string(number) + ": " +
                                line);
            }
        }
    }
    return found;
}

TEST(Layers, AnUpwardIncludeIsFound) {
    const fs::path root = fs::path(::testing::TempDir()) / "layers";
    fs::remove_all(root);
    fs::create_directories(root / "bridge");
    fs::create_directories(root / "video" / "read");
    // Only include lines count, however spaced, and only folders of the
    // layer table (a library's own folder is not one).
    std::ofstream(root / "bridge" / "frame.h") << "#pragma once\n#include \"bridge/a.h\"\n#include \"video/read/c.h\"\n"
                                                  "// #include \"video/read/c.h\"\n#include <libavformat/avformat.h>\n"
                                                  "  #  include <exports/x.h>  // note\n";
    std::ofstream(root / "video" / "read" / "c.h") << "#include \"bridge/frame.h\"\n#include \"link/s.h\"\n";
    EXPECT_EQ(violations(root, "bridge"),
              (std::vector<std::string>{"bridge/frame.h:3: #include \"video/read/c.h\"",
                                        "bridge/frame.h:6:   #  include <exports/x.h>  // note"}));
    EXPECT_TRUE(violations(root, "video").empty());
    fs::remove_all(root);
}

TEST(Layers, NoFolderIncludesOneAboveIt) {
    const fs::path root = MORVALE_SOURCE_DIR;
    for (const auto& [folder, allowed] : allowedIncludes()) {
        if (!fs::exists(root / folder)) continue;  // an area with no sources yet
        const std::vector<std::string> found = violations(root, folder);
        std::string report;
        for (const std::string& v : found) report += "\n  " + v;
        EXPECT_TRUE(found.empty()) << folder << "/ includes folders above it:" << report;
    }
}

// A new top-level source folder has to be given its place first.
TEST(Layers, EverySourceFolderHasItsPlace) {
    const fs::path root = MORVALE_SOURCE_DIR;
    for (const auto& entry : fs::directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_directory() || name.starts_with('.') || name.starts_with("build")) continue;
        if (allowedIncludes().contains(name) || unlayeredFolders().contains(name)) continue;
        bool hasSources = false;
        for (const auto& file : fs::recursive_directory_iterator(entry.path())) {
            hasSources = hasSources || (file.is_regular_file() && isSource(file.path()));
        }
        EXPECT_FALSE(hasSources) << name << "/ holds sources but is not in the layer table";
    }
}

}  // namespace
