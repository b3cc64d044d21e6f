#include "video/write/encoder_listing.h"

#include "platform/media_foundation.h"

namespace TravexUtils {

namespace {

constexpr UINT32 kEnumFlags = MFT_ENUM_FLAG_SYNCMFT | MFT_ENUM_FLAG_ASYNCMFT | MFT_ENUM_FLAG_HARDWARE |
                              MFT_ENUM_FLAG_LOCALMFT | MFT_ENUM_FLAG_SORTANDFILTER;

// The transforms of the category for the given types; each activation
// object and the array are freed at once. Only the count is kept.
HRESULT countTransforms(const GUID& category, const MFT_REGISTER_TYPE_INFO* input,
                        const MFT_REGISTER_TYPE_INFO* output, UINT32& count) {
    IMFActivate** activates = nullptr;
    count = 0;
    const HRESULT hr = MFTEnumEx(category, kEnumFlags, input, output, &activates, &count);
    for (UINT32 i = 0; activates != nullptr && i < count; ++i) {
        if (activates[i] != nullptr) activates[i]->Release();
    }
    CoTaskMemFree(activates);
    return hr;
}

}  // namespace

bool isEncodingSupported(const GUID& subtype) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE);
    MFStartup(MF_VERSION, MFSTARTUP_FULL);
    const MFT_REGISTER_TYPE_INFO info{MFMediaType_Video, subtype};
    UINT32 encoders = 0;
    if (countTransforms(MFT_CATEGORY_VIDEO_ENCODER, nullptr, &info, encoders) != S_OK) {
        return false;
    }
    UINT32 decoders = 0;
    const HRESULT decoderResult = countTransforms(MFT_CATEGORY_VIDEO_DECODER, &info, nullptr, decoders);
    return decoderResult == S_OK && encoders != 0 && decoders != 0;
}

std::string listSupportedEncodings(const std::string& container) {
    if (container != "AVI" && container != "QuickTime") {
        return "";
    }
    std::string names;
    if (isEncodingSupported(MFVideoFormat_H264)) {
        names = "H264";
    }
    if (isEncodingSupported(MFVideoFormat_HEVC)) {
        if (!names.empty()) names += ",";
        names += "HEVC";
    }
    return names;
}

}  // namespace TravexUtils
