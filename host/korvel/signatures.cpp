#include "host/korvel/signatures.h"

namespace korvel {

const std::vector<Signature>& allSignatures() {
    using A = ArgKind;
    using R = ResultKind;
    static const std::vector<Signature> table = {
        {"MFInitVideoReader", {A::String}, R::Boolean},
        {"MFReadNextVideoFrame", {}, R::Image},
        {"MFFinalizeVideoReader", {}, R::Boolean},
        {"MFReadVideoData", {A::String, A::IntegerList}, R::Image},
        {"MFReadVideoFrameCount", {A::String}, R::Integer},
        {"MFReadVideoFrameDurations", {A::String}, R::RealTensor},
        {"DSInitVideoReader", {A::String}, R::Boolean},
        {"DSReadNextVideoFrame", {}, R::Image},
        {"DSFinalizeVideoReader", {}, R::Boolean},
        {"DSReadVideoData", {A::String, A::IntegerList}, R::Image},
        {"DSReadVideoFrameCount", {A::String}, R::Integer},
        {"DSReadVideoFrameDurations", {A::String}, R::RealTensor},
        {"DSReadVideoFrameRate", {A::String}, R::Real},
        {"DeleteVideoCache", {A::String}, R::Boolean},
        {"sendRegisteredErrors", {}, R::Link},
        {"MFReadVideoProperties", {A::String}, R::Link},
        {"DSReadVideoProperties", {A::String}, R::Link},
        {"ReadAudioProperties", {A::String}, R::Link},
    };
    return table;
}

const Signature* findSignature(const std::string& name) {
    for (const Signature& s : allSignatures()) {
        if (s.name == name) return &s;
    }
    return nullptr;
}

}  // namespace korvel
