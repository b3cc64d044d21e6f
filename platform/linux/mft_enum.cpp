// MFTEnumEx over FFmpeg's codecs. Encoder categories report the encoder of
// the output type's subtype, decoder categories the decoder of the input
// type's subtype (a null type matches every subtype of the category's
// media kind); a codec counts only when it is usable here (present, opens,
// not made missing by a test; see codec_availability.h). Every codec is a
// synchronous software transform: flags that ask for none of
// MFT_ENUM_FLAG_SYNCMFT (and are not 0, which means it) find nothing.
// Other categories find nothing. The type given for the side a category
// does not look at must have the category's major type, if given.
#include <vector>

#include "platform/com_ptr.h"
#include "platform/linux/codec_availability.h"
#include "platform/linux/encoder_choice.h"
#include "platform/linux/test_hooks.h"
#include "platform/linux/transform_activate.h"

namespace {

using MorvalePlatform::CodecChoice;

struct Category {
    const GUID* category;
    AVMediaType kind;
    bool encoder;
};

const Category kCategories[] = {
    {&MFT_CATEGORY_VIDEO_ENCODER, AVMEDIA_TYPE_VIDEO, true},
    {&MFT_CATEGORY_VIDEO_DECODER, AVMEDIA_TYPE_VIDEO, false},
    {&MFT_CATEGORY_AUDIO_ENCODER, AVMEDIA_TYPE_AUDIO, true},
    {&MFT_CATEGORY_AUDIO_DECODER, AVMEDIA_TYPE_AUDIO, false},
};

const GUID& majorTypeOf(AVMediaType kind) { return kind == AVMEDIA_TYPE_AUDIO ? MFMediaType_Audio : MFMediaType_Video; }

bool matches(const MFT_REGISTER_TYPE_INFO* wanted, const GUID& major, const GUID& subtype) {
    return !wanted || (wanted->guidMajorType == major && wanted->guidSubtype == subtype);
}

}  // namespace

extern "C" HRESULT MFTEnumEx(GUID guidCategory, UINT32 Flags, const MFT_REGISTER_TYPE_INFO* pInputType,
                             const MFT_REGISTER_TYPE_INFO* pOutputType, IMFActivate*** pppMFTActivate,
                             UINT32* pnumMFTActivate) {
    MORVALE_INSTRUMENTED_CALL("MFTEnumEx");
    if (!pppMFTActivate || !pnumMFTActivate) return E_POINTER;
    *pppMFTActivate = nullptr;
    *pnumMFTActivate = 0;
    const Category* category = nullptr;
    for (const Category& known : kCategories) {
        if (*known.category == guidCategory) category = &known;
    }
    if (!category || (Flags != 0 && !(Flags & MFT_ENUM_FLAG_SYNCMFT))) return S_OK;

    MorvalePlatform::Hooks::InternalCalls internal;
    std::vector<MorvalePlatform::ComPtr<MorvalePlatform::TransformActivate>> found;
    const GUID& major = majorTypeOf(category->kind);
    for (const CodecChoice& choice : MorvalePlatform::codecChoices()) {
        if (choice.kind != category->kind) continue;
        // Raw video is no encoding: no transform stands for it.
        if (choice.codec == AV_CODEC_ID_RAWVIDEO) continue;
        const MFT_REGISTER_TYPE_INFO compressed{major, choice.subtype};
        const MFT_REGISTER_TYPE_INFO uncompressed{
            major, category->kind == AVMEDIA_TYPE_AUDIO ? MFAudioFormat_PCM : MFVideoFormat_NV12};
        const MFT_REGISTER_TYPE_INFO& input = category->encoder ? uncompressed : compressed;
        const MFT_REGISTER_TYPE_INFO& output = category->encoder ? compressed : uncompressed;
        const MFT_REGISTER_TYPE_INFO* codedSide = category->encoder ? pOutputType : pInputType;
        const MFT_REGISTER_TYPE_INFO* otherSide = category->encoder ? pInputType : pOutputType;
        if (!matches(codedSide, major, choice.subtype)) continue;
        if (otherSide && otherSide->guidMajorType != major) continue;
        const AVCodec* codec = category->encoder ? MorvalePlatform::usableEncoder(choice.encoder)
                                                 : MorvalePlatform::usableDecoder(choice.decoder);
        if (!codec) continue;
        found.push_back(MorvalePlatform::TransformActivate::create(*category->category, codec->long_name, input, output));
    }
    if (found.empty()) return S_OK;
    auto** array = static_cast<IMFActivate**>(CoTaskMemAlloc(sizeof(IMFActivate*) * found.size()));
    if (!array) return E_OUTOFMEMORY;
    for (size_t i = 0; i < found.size(); ++i) array[i] = found[i].detach();
    *pppMFTActivate = array;
    *pnumMFTActivate = static_cast<UINT32>(found.size());
    return S_OK;
}
