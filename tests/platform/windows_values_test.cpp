// The Linux declarations carry the Windows values: every GUID and result
// code is compared with the mingw-w64 Windows headers, read as text (they
// are never compiled into the Linux build). Skipped where the headers are
// not installed.
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

#include "platform/media_foundation.h"

namespace {

const std::string kWindowsHeaders = "/usr/x86_64-w64-mingw32/include/";

std::string readHeader(const std::string& name) {
    std::ifstream in(kWindowsHeaders + name);
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

// name -> GUID text of DEFINE_GUID, EXTERN_GUID and DEFINE_MEDIATYPE_GUID.
std::map<std::string, std::string> windowsGuids() {
    std::map<std::string, unsigned long> formats = {{"D3DFMT_R8G8B8", 20}, {"D3DFMT_A8R8G8B8", 21},
                                                    {"D3DFMT_X8R8G8B8", 22}, {"D3DFMT_R5G6B5", 23},
                                                    {"D3DFMT_X1R5G5B5", 24}, {"D3DFMT_P8", 41},
                                                    {"D3DFMT_L8", 50},      {"D3DFMT_L16", 81}};
    const std::string mmreg = readHeader("mmreg.h");
    const std::regex waveFormat(R"(#define (WAVE_FORMAT_\w+)\s+(0x[0-9a-fA-F]+|\d+)\b)");
    for (std::sregex_iterator it(mmreg.begin(), mmreg.end(), waveFormat), end; it != end; ++it) {
        formats.emplace((*it)[1], std::stoul((*it)[2], nullptr, 0));
    }
    std::map<std::string, std::string> guids;
    const std::regex plain(R"((?:DEFINE_GUID|EXTERN_GUID)\s*\(\s*(\w+)\s*,([^)]*)\))");
    const std::regex media(R"(DEFINE_MEDIATYPE_GUID\s*\(\s*(\w+)\s*,\s*(?:FCC\s*\(\s*'(....)'\s*\)|(\w+))\s*\))");
    for (const char* header : {"mfapi.h", "mfidl.h", "mfreadwrite.h", "mfobjects.h", "mftransform.h"}) {
        const std::string text = readHeader(header);
        for (std::sregex_iterator it(text.begin(), text.end(), plain), end; it != end; ++it) {
            std::stringstream fields((*it)[2]);
            std::string field;
            unsigned long values[11];
            int count = 0;
            try {
                while (count < 11 && std::getline(fields, field, ',')) values[count++] = std::stoul(field, nullptr, 0);
            } catch (const std::logic_error&) {
                continue;  // a definition built from other macros
            }
            if (count != 11) continue;
            GUID g{static_cast<uint32_t>(values[0]), static_cast<uint16_t>(values[1]), static_cast<uint16_t>(values[2]), {}};
            for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<uint8_t>(values[3 + i]);
            guids[(*it)[1]] = guidText(g);
        }
        for (std::sregex_iterator it(text.begin(), text.end(), media), end; it != end; ++it) {
            uint32_t data1 = 0;
            if ((*it)[2].matched) {
                const std::string code = (*it)[2];
                for (int i = 0; i < 4; ++i) data1 |= static_cast<uint32_t>(static_cast<unsigned char>(code[i])) << (8 * i);
            } else if (formats.count((*it)[3])) {
                data1 = static_cast<uint32_t>(formats[(*it)[3]]);
            } else if (std::isdigit(static_cast<unsigned char>((*it)[3].str()[0]))) {
                data1 = static_cast<uint32_t>(std::stoul((*it)[3], nullptr, 0));
            } else {
                continue;
            }
            guids[(*it)[1]] = guidText(MorvalePlatformDetail::mediaSubtype(data1));
        }
    }
    return guids;
}

#define MORVALE_GUID_ENTRY(name) {#name, name}

TEST(WindowsValues, GuidsMatchTheWindowsHeaders) {
    if (!std::filesystem::exists(kWindowsHeaders + "mfapi.h")) GTEST_SKIP() << "no mingw-w64 headers";
    const auto windows = windowsGuids();
    const std::pair<const char*, GUID> ours[] = {
        MORVALE_GUID_ENTRY(IID_IMFAttributes),
        MORVALE_GUID_ENTRY(IID_IMFMediaBuffer),
        MORVALE_GUID_ENTRY(IID_IMFMediaType),
        MORVALE_GUID_ENTRY(IID_IMFSample),
        MORVALE_GUID_ENTRY(IID_IMFSourceReader),
        MORVALE_GUID_ENTRY(MFAudioFormat_AAC),
        MORVALE_GUID_ENTRY(MFAudioFormat_ADTS),
        MORVALE_GUID_ENTRY(MFAudioFormat_ALAC),
        MORVALE_GUID_ENTRY(MFAudioFormat_Base),
        MORVALE_GUID_ENTRY(MFAudioFormat_DTS),
        MORVALE_GUID_ENTRY(MFAudioFormat_Dolby_AC3),
        MORVALE_GUID_ENTRY(MFAudioFormat_Dolby_AC3_SPDIF),
        MORVALE_GUID_ENTRY(MFAudioFormat_FLAC),
        MORVALE_GUID_ENTRY(MFAudioFormat_Float),
        MORVALE_GUID_ENTRY(MFAudioFormat_MP3),
        MORVALE_GUID_ENTRY(MFAudioFormat_MPEG),
        MORVALE_GUID_ENTRY(MFAudioFormat_Opus),
        MORVALE_GUID_ENTRY(MFAudioFormat_PCM),
        MORVALE_GUID_ENTRY(MFAudioFormat_Vorbis),
        MORVALE_GUID_ENTRY(MFAudioFormat_WMAudioV8),
        MORVALE_GUID_ENTRY(MFAudioFormat_WMAudioV9),
        MORVALE_GUID_ENTRY(MFAudioFormat_WMAudio_Lossless),
        MORVALE_GUID_ENTRY(MFMediaType_Audio),
        MORVALE_GUID_ENTRY(MFMediaType_Binary),
        MORVALE_GUID_ENTRY(MFMediaType_Default),
        MORVALE_GUID_ENTRY(MFMediaType_Image),
        MORVALE_GUID_ENTRY(MFMediaType_Protected),
        MORVALE_GUID_ENTRY(MFMediaType_SAMI),
        MORVALE_GUID_ENTRY(MFMediaType_Script),
        MORVALE_GUID_ENTRY(MFMediaType_Video),
        MORVALE_GUID_ENTRY(MFSampleExtension_CleanPoint),
        MORVALE_GUID_ENTRY(MFVideoFormat_420O),
        MORVALE_GUID_ENTRY(MFVideoFormat_ARGB32),
        MORVALE_GUID_ENTRY(MFVideoFormat_AV1),
        MORVALE_GUID_ENTRY(MFVideoFormat_AYUV),
        MORVALE_GUID_ENTRY(MFVideoFormat_Base),
        MORVALE_GUID_ENTRY(MFVideoFormat_DV25),
        MORVALE_GUID_ENTRY(MFVideoFormat_DV50),
        MORVALE_GUID_ENTRY(MFVideoFormat_DVC),
        MORVALE_GUID_ENTRY(MFVideoFormat_DVH1),
        MORVALE_GUID_ENTRY(MFVideoFormat_DVHD),
        MORVALE_GUID_ENTRY(MFVideoFormat_DVSD),
        MORVALE_GUID_ENTRY(MFVideoFormat_DVSL),
        MORVALE_GUID_ENTRY(MFVideoFormat_H263),
        MORVALE_GUID_ENTRY(MFVideoFormat_H264),
        MORVALE_GUID_ENTRY(MFVideoFormat_H264_ES),
        MORVALE_GUID_ENTRY(MFVideoFormat_H265),
        MORVALE_GUID_ENTRY(MFVideoFormat_HEVC),
        MORVALE_GUID_ENTRY(MFVideoFormat_HEVC_ES),
        MORVALE_GUID_ENTRY(MFVideoFormat_I420),
        MORVALE_GUID_ENTRY(MFVideoFormat_IYUV),
        MORVALE_GUID_ENTRY(MFVideoFormat_L16),
        MORVALE_GUID_ENTRY(MFVideoFormat_L8),
        MORVALE_GUID_ENTRY(MFVideoFormat_M4S2),
        MORVALE_GUID_ENTRY(MFVideoFormat_MJPG),
        MORVALE_GUID_ENTRY(MFVideoFormat_MP43),
        MORVALE_GUID_ENTRY(MFVideoFormat_MP4S),
        MORVALE_GUID_ENTRY(MFVideoFormat_MP4V),
        MORVALE_GUID_ENTRY(MFVideoFormat_MPEG2),
        MORVALE_GUID_ENTRY(MFVideoFormat_MPG1),
        MORVALE_GUID_ENTRY(MFVideoFormat_MSS1),
        MORVALE_GUID_ENTRY(MFVideoFormat_MSS2),
        MORVALE_GUID_ENTRY(MFVideoFormat_NV12),
        MORVALE_GUID_ENTRY(MFVideoFormat_P010),
        MORVALE_GUID_ENTRY(MFVideoFormat_RGB24),
        MORVALE_GUID_ENTRY(MFVideoFormat_RGB32),
        MORVALE_GUID_ENTRY(MFVideoFormat_RGB555),
        MORVALE_GUID_ENTRY(MFVideoFormat_RGB565),
        MORVALE_GUID_ENTRY(MFVideoFormat_RGB8),
        MORVALE_GUID_ENTRY(MFVideoFormat_Theora),
        MORVALE_GUID_ENTRY(MFVideoFormat_UYVY),
        MORVALE_GUID_ENTRY(MFVideoFormat_VP80),
        MORVALE_GUID_ENTRY(MFVideoFormat_VP90),
        MORVALE_GUID_ENTRY(MFVideoFormat_WMV1),
        MORVALE_GUID_ENTRY(MFVideoFormat_WMV2),
        MORVALE_GUID_ENTRY(MFVideoFormat_WMV3),
        MORVALE_GUID_ENTRY(MFVideoFormat_WVC1),
        MORVALE_GUID_ENTRY(MFVideoFormat_YUY2),
        MORVALE_GUID_ENTRY(MFVideoFormat_YV12),
        MORVALE_GUID_ENTRY(MF_MT_AAC_PAYLOAD_TYPE),
        MORVALE_GUID_ENTRY(MF_MT_ALL_SAMPLES_INDEPENDENT),
        MORVALE_GUID_ENTRY(MF_MT_AUDIO_AVG_BYTES_PER_SECOND),
        MORVALE_GUID_ENTRY(MF_MT_AUDIO_BITS_PER_SAMPLE),
        MORVALE_GUID_ENTRY(MF_MT_AUDIO_BLOCK_ALIGNMENT),
        MORVALE_GUID_ENTRY(MF_MT_AUDIO_CHANNEL_MASK),
        MORVALE_GUID_ENTRY(MF_MT_AUDIO_NUM_CHANNELS),
        MORVALE_GUID_ENTRY(MF_MT_AUDIO_SAMPLES_PER_SECOND),
        MORVALE_GUID_ENTRY(MF_MT_AUDIO_VALID_BITS_PER_SAMPLE),
        MORVALE_GUID_ENTRY(MF_MT_AVG_BITRATE),
        MORVALE_GUID_ENTRY(MF_MT_COMPRESSED),
        MORVALE_GUID_ENTRY(MF_MT_DEFAULT_STRIDE),
        MORVALE_GUID_ENTRY(MF_MT_FIXED_SIZE_SAMPLES),
        MORVALE_GUID_ENTRY(MF_MT_FRAME_RATE),
        MORVALE_GUID_ENTRY(MF_MT_FRAME_SIZE),
        MORVALE_GUID_ENTRY(MF_MT_GEOMETRIC_APERTURE),
        MORVALE_GUID_ENTRY(MF_MT_INTERLACE_MODE),
        MORVALE_GUID_ENTRY(MF_MT_MAJOR_TYPE),
        MORVALE_GUID_ENTRY(MF_MT_MINIMUM_DISPLAY_APERTURE),
        MORVALE_GUID_ENTRY(MF_MT_MPEG2_PROFILE),
        MORVALE_GUID_ENTRY(MF_MT_MPEG_SEQUENCE_HEADER),
        MORVALE_GUID_ENTRY(MF_MT_PIXEL_ASPECT_RATIO),
        MORVALE_GUID_ENTRY(MF_MT_SAMPLE_SIZE),
        MORVALE_GUID_ENTRY(MF_MT_SUBTYPE),
        MORVALE_GUID_ENTRY(MF_MT_USER_DATA),
        MORVALE_GUID_ENTRY(MF_MT_VIDEO_ROTATION),
        MORVALE_GUID_ENTRY(MF_PD_DURATION),
        MORVALE_GUID_ENTRY(MF_READWRITE_DISABLE_CONVERTERS),
        MORVALE_GUID_ENTRY(MF_SOURCE_READER_DISABLE_DXVA),
        MORVALE_GUID_ENTRY(MF_SOURCE_READER_ENABLE_ADVANCED_VIDEO_PROCESSING),
        MORVALE_GUID_ENTRY(MF_SOURCE_READER_ENABLE_VIDEO_PROCESSING),
        MORVALE_GUID_ENTRY(IID_IMFActivate),
        MORVALE_GUID_ENTRY(IID_IMFSinkWriter),
        MORVALE_GUID_ENTRY(MFT_CATEGORY_AUDIO_DECODER),
        MORVALE_GUID_ENTRY(MFT_CATEGORY_AUDIO_ENCODER),
        MORVALE_GUID_ENTRY(MFT_CATEGORY_VIDEO_DECODER),
        MORVALE_GUID_ENTRY(MFT_CATEGORY_VIDEO_ENCODER),
        MORVALE_GUID_ENTRY(MFT_FRIENDLY_NAME_Attribute),
        MORVALE_GUID_ENTRY(MFT_INPUT_TYPES_Attributes),
        MORVALE_GUID_ENTRY(MFT_OUTPUT_TYPES_Attributes),
        MORVALE_GUID_ENTRY(MF_MT_AAC_AUDIO_PROFILE_LEVEL_INDICATION),
        MORVALE_GUID_ENTRY(MF_TRANSFORM_CATEGORY_Attribute),
    };
    for (const auto& [name, value] : ours) {
        const auto found = windows.find(name);
        ASSERT_NE(found, windows.end()) << name;
        EXPECT_EQ(guidText(value), found->second) << name;
    }
}

#define MORVALE_RESULT_ENTRY(name) {#name, name}

TEST(WindowsValues, ResultCodesMatchTheWindowsHeaders) {
    if (!std::filesystem::exists(kWindowsHeaders + "mferror.h")) GTEST_SKIP() << "no mingw-w64 headers";
    std::map<std::string, uint32_t> windows;
    const std::regex define(R"(#define\s+(\w+)\s+_HRESULT_TYPEDEF_\((0x[0-9a-fA-F]+)L?\))");
    for (const char* header : {"mferror.h", "winerror.h"}) {
        const std::string text = readHeader(header);
        for (std::sregex_iterator it(text.begin(), text.end(), define), end; it != end; ++it) {
            windows.emplace((*it)[1], static_cast<uint32_t>(std::stoul((*it)[2], nullptr, 16)));
        }
    }
    const std::pair<const char*, HRESULT> ours[] = {
        MORVALE_RESULT_ENTRY(CO_E_NOTINITIALIZED),
        MORVALE_RESULT_ENTRY(E_ABORT),
        MORVALE_RESULT_ENTRY(E_ACCESSDENIED),
        MORVALE_RESULT_ENTRY(E_FAIL),
        MORVALE_RESULT_ENTRY(E_HANDLE),
        MORVALE_RESULT_ENTRY(E_INVALIDARG),
        MORVALE_RESULT_ENTRY(E_NOINTERFACE),
        MORVALE_RESULT_ENTRY(E_NOTIMPL),
        MORVALE_RESULT_ENTRY(E_OUTOFMEMORY),
        MORVALE_RESULT_ENTRY(E_POINTER),
        MORVALE_RESULT_ENTRY(E_UNEXPECTED),
        MORVALE_RESULT_ENTRY(MF_E_ATTRIBUTENOTFOUND),
        MORVALE_RESULT_ENTRY(MF_E_BAD_STARTUP_VERSION),
        MORVALE_RESULT_ENTRY(MF_E_BUFFERTOOSMALL),
        MORVALE_RESULT_ENTRY(MF_E_BYTESTREAM_NOT_SEEKABLE),
        MORVALE_RESULT_ENTRY(MF_E_END_OF_STREAM),
        MORVALE_RESULT_ENTRY(MF_E_INVALIDINDEX),
        MORVALE_RESULT_ENTRY(MF_E_INVALIDMEDIATYPE),
        MORVALE_RESULT_ENTRY(MF_E_INVALIDNAME),
        MORVALE_RESULT_ENTRY(MF_E_INVALIDREQUEST),
        MORVALE_RESULT_ENTRY(MF_E_INVALIDSTREAMNUMBER),
        MORVALE_RESULT_ENTRY(MF_E_INVALIDTYPE),
        MORVALE_RESULT_ENTRY(MF_E_INVALID_FILE_FORMAT),
        MORVALE_RESULT_ENTRY(MF_E_INVALID_FORMAT),
        MORVALE_RESULT_ENTRY(MF_E_INVALID_POSITION),
        MORVALE_RESULT_ENTRY(MF_E_INVALID_STREAM_DATA),
        MORVALE_RESULT_ENTRY(MF_E_INVALID_TIMESTAMP),
        MORVALE_RESULT_ENTRY(MF_E_NOTACCEPTING),
        MORVALE_RESULT_ENTRY(MF_E_NOT_AVAILABLE),
        MORVALE_RESULT_ENTRY(MF_E_NOT_FOUND),
        MORVALE_RESULT_ENTRY(MF_E_NOT_INITIALIZED),
        MORVALE_RESULT_ENTRY(MF_E_NO_MORE_TYPES),
        MORVALE_RESULT_ENTRY(MF_E_NO_SAMPLE_DURATION),
        MORVALE_RESULT_ENTRY(MF_E_NO_SAMPLE_TIMESTAMP),
        MORVALE_RESULT_ENTRY(MF_E_OUT_OF_RANGE),
        MORVALE_RESULT_ENTRY(MF_E_PLATFORM_NOT_INITIALIZED),
        MORVALE_RESULT_ENTRY(MF_E_SAMPLE_HAS_TOO_MANY_BUFFERS),
        MORVALE_RESULT_ENTRY(MF_E_SHUTDOWN),
        MORVALE_RESULT_ENTRY(MF_E_SINK_NO_SAMPLES_PROCESSED),
        MORVALE_RESULT_ENTRY(MF_E_TOPO_CODEC_NOT_FOUND),
        MORVALE_RESULT_ENTRY(MF_E_TRANSFORM_TYPE_NOT_SET),
        MORVALE_RESULT_ENTRY(MF_E_UNEXPECTED),
        MORVALE_RESULT_ENTRY(MF_E_UNSUPPORTED_BYTESTREAM_TYPE),
        MORVALE_RESULT_ENTRY(MF_E_UNSUPPORTED_FORMAT),
        MORVALE_RESULT_ENTRY(MF_E_UNSUPPORTED_REPRESENTATION),
        MORVALE_RESULT_ENTRY(MF_E_UNSUPPORTED_SCHEME),
        MORVALE_RESULT_ENTRY(MF_E_UNSUPPORTED_SERVICE),
        MORVALE_RESULT_ENTRY(MF_E_UNSUPPORTED_TIME_FORMAT),
        MORVALE_RESULT_ENTRY(RPC_E_CHANGED_MODE),
    };
    for (const auto& [name, value] : ours) {
        const auto found = windows.find(name);
        ASSERT_NE(found, windows.end()) << name;
        EXPECT_EQ(static_cast<uint32_t>(value), found->second) << name;
    }
    EXPECT_EQ(static_cast<uint32_t>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), 0x80070002u);
    EXPECT_EQ(MF_VERSION, 0x20070);
}

}  // namespace
