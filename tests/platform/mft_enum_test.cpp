// MFTEnumEx lists an encoder or decoder only when FFmpeg has it and it
// opens, and returns counted activation objects in a task-memory array (the
// library only counts and releases them, so their attributes go unchecked). The
// test control's missing codecs (an encoder without its decoder, and the
// reverse) are checked through the encoder listing export
// (tests/video_write/round_trip_test.cpp).
#include <gtest/gtest.h>

#include "platform/linux/codec_availability.h"
#include "platform/linux/test_control.h"
#include "reader_session.h"

namespace PlatformTest {
namespace {

using MorvalePlatform::TestControl::liveObjects;

// The flags the library's encoder listing passes.
constexpr UINT32 kListingFlags = MFT_ENUM_FLAG_SYNCMFT | MFT_ENUM_FLAG_ASYNCMFT | MFT_ENUM_FLAG_HARDWARE |
                                 MFT_ENUM_FLAG_LOCALMFT | MFT_ENUM_FLAG_SORTANDFILTER;

// MFTEnumEx for one subtype on the coded side of the category; releases
// what it finds and returns the count (or -1 on failure).
int countTransforms(const GUID& category, const GUID& major, const GUID& subtype, UINT32 flags = kListingFlags) {
    const MFT_REGISTER_TYPE_INFO info{major, subtype};
    const bool decoder = category == MFT_CATEGORY_VIDEO_DECODER || category == MFT_CATEGORY_AUDIO_DECODER;
    IMFActivate** activates = nullptr;
    UINT32 count = 0;
    const HRESULT hr = MFTEnumEx(category, flags, decoder ? &info : nullptr, decoder ? nullptr : &info, &activates,
                                 &count);
    if (FAILED(hr)) return -1;
    EXPECT_EQ(activates == nullptr, count == 0);
    for (UINT32 i = 0; i < count; ++i) activates[i]->Release();
    CoTaskMemFree(activates);
    return static_cast<int>(count);
}

struct Listing {
    const char* name;
    GUID category;
    GUID major;
    GUID subtype;
    const char* codec;  // the FFmpeg codec that must be usable for one result
};

void PrintTo(const Listing& row, std::ostream* out) { *out << row.name; }

const Listing kListings[] = {
    {"H264Encoder", MFT_CATEGORY_VIDEO_ENCODER, MFMediaType_Video, MFVideoFormat_H264, "libx264"},
    {"H264Decoder", MFT_CATEGORY_VIDEO_DECODER, MFMediaType_Video, MFVideoFormat_H264, "h264"},
    {"HevcEncoder", MFT_CATEGORY_VIDEO_ENCODER, MFMediaType_Video, MFVideoFormat_HEVC, "libx265"},
    {"HevcDecoder", MFT_CATEGORY_VIDEO_DECODER, MFMediaType_Video, MFVideoFormat_HEVC, "hevc"},
    {"AacEncoder", MFT_CATEGORY_AUDIO_ENCODER, MFMediaType_Audio, MFAudioFormat_AAC, "aac"},
    {"Wmv3DecoderOnly", MFT_CATEGORY_VIDEO_DECODER, MFMediaType_Video, MFVideoFormat_WMV3, "wmv3"},
    {"Wmv3NoEncoder", MFT_CATEGORY_VIDEO_ENCODER, MFMediaType_Video, MFVideoFormat_WMV3, nullptr},
    {"AacIsNoVideo", MFT_CATEGORY_VIDEO_ENCODER, MFMediaType_Video, MFAudioFormat_AAC, nullptr},
    {"RawVideoIsNoEncoding", MFT_CATEGORY_VIDEO_ENCODER, MFMediaType_Video, MFVideoFormat_RGB24, nullptr},
    {"MultiplexerCategory", GUID{0x059c561e, 0x05ae, 0x4b61, {0xb6, 0x9d, 0x55, 0xb6, 0x1e, 0xe5, 0x4a, 0x7b}},
     MFMediaType_Video, MFVideoFormat_H264, nullptr},
};

class TransformListing : public ::testing::TestWithParam<Listing> {};

TEST_P(TransformListing, FindsExactlyTheUsableCodec) {
    const Listing& row = GetParam();
    const bool encoder = row.category == MFT_CATEGORY_VIDEO_ENCODER || row.category == MFT_CATEGORY_AUDIO_ENCODER;
    const bool usable = row.codec && (encoder ? MorvalePlatform::usableEncoder(row.codec)
                                              : MorvalePlatform::usableDecoder(row.codec));
    {
        ReaderSession session;
        EXPECT_EQ(countTransforms(row.category, row.major, row.subtype), usable ? 1 : 0);
    }
    EXPECT_EQ(liveObjects(), 0);
}

INSTANTIATE_TEST_SUITE_P(Codecs, TransformListing, ::testing::ValuesIn(kListings),
                         [](const auto& instance) { return std::string(instance.param.name); });

TEST(TransformListingControl, OnlySynchronousSoftwareTransformsExistAndTheArrayIsRequired) {
    if (!MorvalePlatform::usableEncoder("libx264")) GTEST_SKIP() << "libx264 is not available";
    ReaderSession session;
    EXPECT_EQ(countTransforms(MFT_CATEGORY_VIDEO_ENCODER, MFMediaType_Video, MFVideoFormat_H264, 0), 1);
    EXPECT_EQ(countTransforms(MFT_CATEGORY_VIDEO_ENCODER, MFMediaType_Video, MFVideoFormat_H264,
                              MFT_ENUM_FLAG_HARDWARE | MFT_ENUM_FLAG_ASYNCMFT),
              0);
    const MFT_REGISTER_TYPE_INFO output{MFMediaType_Video, MFVideoFormat_H264};
    UINT32 count = 0;
    EXPECT_EQ(MFTEnumEx(MFT_CATEGORY_VIDEO_ENCODER, kListingFlags, nullptr, &output, nullptr, &count), E_POINTER);
}

}  // namespace
}  // namespace PlatformTest
