#include <gtest/gtest.h>

#include "video/read/codec_name_tables.h"

using namespace TravexUtils;

namespace {

GUID withOtherTail(GUID g) {
    for (auto& b : g.Data4) b ^= 0x5A;
    g.Data2 = 0x1234;
    return g;
}

TEST(CodecNameTables, NamesBySubtype) {
    struct Case {
        const SubtypeNameTable& table;
        GUID subtype;
        const char* name;
    };
    const Case cases[] = {
        {MFSubtypeNameTable(), fourCCSubtype("H264"), "H264"},
        {MFSubtypeNameTable(), fourCCSubtype("dvc "), "dvc"},
        {MFSubtypeNameTable(), fourCCSubtype("dvc_"), ""},
        {MFSubtypeNameTable(), withOtherTail(fourCCSubtype("HEVC")), "HEVC"},  // Data1 alone decides
        {MFSubtypeNameTable(), GUID{0x16, 0, 0x10, {0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71}}, "Uncompressed"},
        {MFSubtypeNameTable(), fourCCSubtype("AVC1"), ""},  // not an MF key
        {DSSubtypeNameTable(), fourCCSubtype("AVC1"), "H264"},
        {DSSubtypeNameTable(), fourCCSubtype("X264"), "H264"},
        {DSSubtypeNameTable(), fourCCSubtype("MPG4"), "MPEG4"},
        {DSSubtypeNameTable(), fourCCSubtype("mp4v"), "MPEG4 Visual"},
        {DSSubtypeNameTable(), fourCCSubtype("MP4V"), ""},  // case matters
        {DSSubtypeNameTable(), GUID{0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0, 0x20, 0xAF, 0x0B, 0xA7, 0x70}},
         "Uncompressed"},
        {DSSubtypeNameTable(), GUID{0xE06D8026, 0, 0, {}}, "MPEG2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(subtypeName(c.table, c.subtype), c.name) << std::hex << c.subtype.Data1;
    }
}

}  // namespace
