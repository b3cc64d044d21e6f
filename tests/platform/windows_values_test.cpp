// The Linux declarations carry the Windows values: every GUID and result
// code our Linux headers define is looked up by name in the mingw-w64
// Windows headers and compared. Both sides are read as text (the Windows
// headers are never compiled into the Linux build), so a name added to our
// headers is checked without being listed here. Skipped where the Windows
// headers are not installed.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/media_foundation.h"

namespace {

namespace fs = std::filesystem;

const fs::path kWindowsHeaders = "/usr/x86_64-w64-mingw32/include";
const fs::path kOurHeaders = fs::path(MORVALE_SOURCE_DIR) / "platform";

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string guidText(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof(text), "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", g.Data1, g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

// The GUID written as its eleven numbers, braces or not; "" when the text is
// built from other macros.
std::string guidFromNumbers(std::string fields) {
    std::erase_if(fields, [](char c) { return c == '{' || c == '}'; });
    std::stringstream in(fields);
    std::vector<unsigned long> values;
    try {
        for (std::string field; std::getline(in, field, ',');) values.push_back(std::stoul(field, nullptr, 0));
    } catch (const std::logic_error&) {
        return "";
    }
    if (values.size() != 11) return "";
    GUID g{static_cast<uint32_t>(values[0]), static_cast<uint16_t>(values[1]), static_cast<uint16_t>(values[2]), {}};
    for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<uint8_t>(values[3 + i]);
    return guidText(g);
}

// A media subtype's GUID from its FourCC or its format number.
std::string subtypeText(const std::string& fourCC, unsigned long number) {
    uint32_t data1 = static_cast<uint32_t>(number);
    if (!fourCC.empty()) {
        data1 = 0;
        for (int i = 0; i < 4; ++i) data1 |= static_cast<uint32_t>(static_cast<unsigned char>(fourCC[i])) << (8 * i);
    }
    return guidText(MorvalePlatformDetail::mediaSubtype(data1));
}

template <class F>
void eachMatch(const std::string& text, const std::regex& pattern, F f) {
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) f(*it);
}

// name -> GUID text of DEFINE_GUID, EXTERN_GUID and DEFINE_MEDIATYPE_GUID.
std::map<std::string, std::string> windowsGuids() {
    std::map<std::string, unsigned long> formats = {{"D3DFMT_R8G8B8", 20}, {"D3DFMT_A8R8G8B8", 21},
                                                    {"D3DFMT_X8R8G8B8", 22}, {"D3DFMT_R5G6B5", 23},
                                                    {"D3DFMT_X1R5G5B5", 24}, {"D3DFMT_P8", 41},
                                                    {"D3DFMT_L8", 50},      {"D3DFMT_L16", 81}};
    eachMatch(readText(kWindowsHeaders / "mmreg.h"), std::regex(R"(#define (WAVE_FORMAT_\w+)\s+(0x[0-9a-fA-F]+|\d+)\b)"),
              [&](const std::smatch& m) { formats.emplace(m[1], std::stoul(m[2], nullptr, 0)); });
    std::map<std::string, std::string> guids;
    const std::regex plain(R"((?:DEFINE_GUID|EXTERN_GUID)\s*\(\s*(\w+)\s*,([^)]*)\))");
    const std::regex media(R"(DEFINE_MEDIATYPE_GUID\s*\(\s*(\w+)\s*,\s*(?:FCC\s*\(\s*'(....)'\s*\)|(\w+))\s*\))");
    for (const char* header : {"mfapi.h", "mfidl.h", "mfreadwrite.h", "mfobjects.h", "mftransform.h", "unknwn.h"}) {
        const std::string text = readText(kWindowsHeaders / header);
        eachMatch(text, plain, [&](const std::smatch& m) {
            const std::string value = guidFromNumbers(m[2]);
            if (!value.empty()) guids[m[1]] = value;
        });
        eachMatch(text, media, [&](const std::smatch& m) {
            const std::string number = m[3];
            if (m[2].matched) {
                guids[m[1]] = subtypeText(m[2], 0);
            } else if (formats.count(number)) {
                guids[m[1]] = subtypeText("", formats[number]);
            } else if (std::isdigit(static_cast<unsigned char>(number[0]))) {
                guids[m[1]] = subtypeText("", std::stoul(number, nullptr, 0));
            }
        });
    }
    return guids;
}

// name -> GUID text of every GUID and IID our Linux headers define.
std::map<std::string, std::string> ourGuids() {
    std::map<std::string, std::string> guids;
    const std::regex constant(R"(inline constexpr (?:GUID|IID) (\w+) = \{([^;]*)\};)");
    const std::regex fourCC(R"re(MORVALE_FOURCC_SUBTYPE\((\w+), "(....)"\);)re");
    const std::regex format(R"(MORVALE_FORMAT_SUBTYPE\((\w+), (\w+)\);)");
    for (const char* header : {"linux/mf_guids.h", "linux/mf_writer_declarations.h", "linux/com_declarations.h"}) {
        const std::string text = readText(kOurHeaders / header);
        eachMatch(text, constant, [&](const std::smatch& m) { guids[m[1]] = guidFromNumbers(m[2]); });
        eachMatch(text, fourCC, [&](const std::smatch& m) { guids[m[1]] = subtypeText(m[2], 0); });
        eachMatch(text, format, [&](const std::smatch& m) { guids[m[1]] = subtypeText("", std::stoul(m[2], nullptr, 0)); });
    }
    return guids;
}

// name -> value of each result code #defined in the files.
std::map<std::string, std::string> resultCodes(const fs::path& folder, std::initializer_list<const char*> files) {
    std::map<std::string, std::string> codes;
    const std::regex define(R"(#define\s+(\w+)\s+(?:_HRESULT_TYPEDEF_\(|\(\(HRESULT\)\s*)(0x[0-9a-fA-F]+)L?\))");
    for (const char* file : files) {
        eachMatch(readText(folder / file), define, [&](const std::smatch& m) {
            codes.emplace(m[1], std::to_string(std::stoul(m[2], nullptr, 16)));
        });
    }
    return codes;
}

void expectAllFoundAndEqual(const std::map<std::string, std::string>& ours,
                            const std::map<std::string, std::string>& windows, size_t atLeast) {
    EXPECT_GE(ours.size(), atLeast) << "our headers were not read as expected";
    for (const auto& [name, value] : ours) {
        const auto found = windows.find(name);
        ASSERT_NE(found, windows.end()) << name;
        EXPECT_EQ(value, found->second) << name;
    }
}

TEST(WindowsValues, GuidsMatchTheWindowsHeaders) {
    if (!fs::exists(kWindowsHeaders / "mfapi.h")) GTEST_SKIP() << "no mingw-w64 headers";
    const auto ours = ourGuids();
    expectAllFoundAndEqual(ours, windowsGuids(), 120);
    // The text read is what the build compiled.
    EXPECT_EQ(ours.at("MFVideoFormat_H264"), guidText(MFVideoFormat_H264));
    EXPECT_EQ(ours.at("MF_MT_FRAME_SIZE"), guidText(MF_MT_FRAME_SIZE));
}

TEST(WindowsValues, ResultCodesMatchTheWindowsHeaders) {
    if (!fs::exists(kWindowsHeaders / "mferror.h")) GTEST_SKIP() << "no mingw-w64 headers";
    const auto ours = resultCodes(kOurHeaders, {"linux/mf_errors.h", "linux/ds_errors.h", "windows_base.h"});
    expectAllFoundAndEqual(ours, resultCodes(kWindowsHeaders, {"mferror.h", "winerror.h", "vfwmsgs.h"}), 60);
    EXPECT_EQ(ours.at("MF_E_INVALIDINDEX"), std::to_string(static_cast<uint32_t>(MF_E_INVALIDINDEX)));
    EXPECT_EQ(static_cast<uint32_t>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), 0x80070002u);
}

}  // namespace
