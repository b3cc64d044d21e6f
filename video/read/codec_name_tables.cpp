#include "video/read/codec_name_tables.h"

#include <utility>
#include <vector>

namespace TravexUtils {
namespace {

constexpr GUID makeGuid(uint32_t d1, uint16_t d2, uint16_t d3, std::initializer_list<uint8_t> d4) {
    GUID g{d1, d2, d3, {}};
    std::size_t i = 0;
    for (uint8_t b : d4) {
        g.Data4[i++] = b;
    }
    return g;
}

// DirectShow's uncompressed RGB and MPEG-2 subtypes, which are not FourCCs.
constexpr GUID kDSRGB32 = makeGuid(0xE436EB7E, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70});
constexpr GUID kDSRGB24 = makeGuid(0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70});
constexpr GUID kDSRGB565 = makeGuid(0xE436EB7B, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70});
constexpr GUID kDSRGB555 = makeGuid(0xE436EB7C, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70});
constexpr GUID kDSMPEG2Video = makeGuid(0xE06D8026, 0xDB46, 0x11CF, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA});

// Media Foundation's uncompressed RGB subtypes (D3DFORMAT values as Data1).
GUID mfFormat(uint32_t data1) {
    return makeGuid(data1, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
}

SubtypeNameTable buildTable(const std::vector<std::pair<GUID, const char*>>& rows) {
    SubtypeNameTable table;
    for (const auto& [key, name] : rows) {
        table.emplace(key, name);
    }
    return table;
}

}  // namespace

GUID fourCCSubtype(const char (&code)[5]) {
    const auto byte = [&](int i) { return static_cast<uint32_t>(static_cast<unsigned char>(code[i])); };
    return mfFormat(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
}

const SubtypeNameTable& DSSubtypeNameTable() {
    static const SubtypeNameTable table = buildTable({
        {fourCCSubtype("AVC1"), "H264"},
        {fourCCSubtype("H264"), "H264"},
        {fourCCSubtype("X264"), "H264"},
        {fourCCSubtype("H263"), "H263"},
        {fourCCSubtype("WYUV"), "WYUW"},
        {fourCCSubtype("YUY2"), "YUY2"},
        {fourCCSubtype("YVYU"), "YVYU"},
        {fourCCSubtype("YV12"), "YV12"},
        {fourCCSubtype("I420"), "I420"},
        {fourCCSubtype("IYUV"), "IYUV"},
        {fourCCSubtype("NV12"), "NV12"},
        {kDSRGB32, "Uncompressed"},
        {kDSRGB24, "Uncompressed"},
        {kDSRGB565, "Uncompressed"},
        {kDSRGB555, "Uncompressed"},
        {kDSMPEG2Video, "MPEG2"},
        {fourCCSubtype("XVID"), "XVID"},
        {fourCCSubtype("DX50"), "DX50"},
        {fourCCSubtype("DIVX"), "DIVX"},
        {fourCCSubtype("DIV3"), "DIV3"},
        {fourCCSubtype("DIV1"), "DIV1"},
        {fourCCSubtype("DIV4"), "DIV4"},
        {fourCCSubtype("DIV5"), "DIV5"},
        {fourCCSubtype("DIV6"), "DIV6"},
        {fourCCSubtype("MPG4"), "MPEG4"},
        {fourCCSubtype("mp4v"), "MPEG4 Visual"},
        {fourCCSubtype("s263"), "S263"},
        {fourCCSubtype("MJPG"), "Motion JPEG"},
        {fourCCSubtype("RV20"), "RV20"},
        {fourCCSubtype("RV30"), "RV30"},
        {fourCCSubtype("RV40"), "RV40"},
        {fourCCSubtype("jpeg"), "QTJPEG"},
        {fourCCSubtype("VP60"), "VP60"},
        {fourCCSubtype("VP62"), "VP62"},
        {fourCCSubtype("VP70"), "VP70"},
        {fourCCSubtype("WMV1"), "Windows Media Video 1"},
        {fourCCSubtype("WMV2"), "Windows Media Video 2"},
        {fourCCSubtype("WMV3"), "Windows Media Video 3"},
        {fourCCSubtype("WMVP"), "Windows Media Video 9 Image"},
        {fourCCSubtype("SVQ1"), "Sorenson1 (SVQ1)"},
        {fourCCSubtype("CSCD"), "CamStudio (CSCD)"},
    });
    return table;
}

const SubtypeNameTable& MFSubtypeNameTable() {
    static const SubtypeNameTable table = buildTable({
        {fourCCSubtype("dv25"), "dv25"},
        {fourCCSubtype("dv50"), "dv50"},
        {fourCCSubtype("dvc "), "dvc"},
        {fourCCSubtype("dvh1"), "dvh1"},
        {fourCCSubtype("dvhd"), "dvhd"},
        {fourCCSubtype("dvsd"), "dvsd"},
        {fourCCSubtype("dvsl"), "dvsl"},
        {fourCCSubtype("H263"), "H263"},
        {fourCCSubtype("H264"), "H264"},
        {fourCCSubtype("H265"), "H265"},
        {fourCCSubtype("HEVC"), "HEVC"},
        {fourCCSubtype("HEVS"), "HEVS"},
        {fourCCSubtype("M4S2"), "M4S2"},
        {fourCCSubtype("MJPG"), "MJPG"},
        {fourCCSubtype("MP43"), "MP43"},
        {fourCCSubtype("MP4S"), "MP4S"},
        {fourCCSubtype("MP4V"), "MP4V"},
        {fourCCSubtype("VP80"), "VP80"},
        {fourCCSubtype("VP90"), "VP90"},
        {fourCCSubtype("MPG1"), "MPG1"},
        {fourCCSubtype("MSS1"), "MSS1"},
        {fourCCSubtype("MSS2"), "MSS2"},
        {fourCCSubtype("WMV1"), "WMV1"},
        {fourCCSubtype("WMV2"), "WMV2"},
        {fourCCSubtype("WMV3"), "WMV3"},
        {fourCCSubtype("WVC1"), "WVC1"},
        {fourCCSubtype("420O"), "420O"},
        {mfFormat(0x14), "Uncompressed"},  // RGB24
        {mfFormat(0x16), "Uncompressed"},  // RGB32
        {mfFormat(0x15), "Uncompressed"},  // ARGB32
    });
    return table;
}

std::string subtypeName(const SubtypeNameTable& table, const GUID& subtype) {
    const auto it = table.find(subtype);
    return it == table.end() ? std::string() : it->second;
}

}  // namespace TravexUtils

namespace {
// Both tables are built when the library is loaded, not at first lookup.
[[maybe_unused]] const bool tablesBuiltAtLoad = (TravexUtils::DSSubtypeNameTable(), TravexUtils::MFSubtypeNameTable(), true);
}  // namespace
