#include "host/korvel/result_output.h"

#include <cstdio>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "host/korvel/audio_calls.h"
#include "host/korvel/image_output.h"
#include "host/sr64i4/json_text.h"
#include "host/stand_in/host_stand_in.h"

namespace korvel {
namespace {

template <typename T, typename Format>
std::string jsonArray(const T* data, const std::vector<mint>& dims, std::size_t level, std::size_t& offset,
                      Format format) {
    if (dims.empty()) return format(data[offset++]);
    std::string out = "[";
    for (mint i = 0; i < dims[level]; ++i) {
        if (i > 0) out += ",";
        if (level + 1 == dims.size()) {
            out += format(data[offset++]);
        } else {
            out += jsonArray(data, dims, level + 1, offset, format);
        }
    }
    return out + "]";
}

std::string renderTensor(MTensor tensor) {
    const auto dims = tensorDimensions(tensor);
    std::size_t offset = 0;
    if (tensorType(tensor) == MType_Real) {
        return jsonArray(static_cast<const double*>(tensorData(tensor)), dims, 0, offset,
                         [](double v) { return sr::jsonReal(v); });
    }
    return jsonArray(static_cast<const long long*>(tensorData(tensor)), dims, 0, offset,
                     [](long long v) { return std::to_string(v); });
}

struct TensorRelease {
    void operator()(st_MTensor* t) const { freeHostTensor(t); }
};
struct ImageRelease {
    void operator()(st_MImage* i) const { freeHostImage(i); }
};
struct RawArrayRelease {
    void operator()(st_MRawArray* r) const { freeHostRawArray(r); }
};

}  // namespace

std::string renderResult(ResultKind kind, ResultStorage& result, const CallOptions& options) {
    switch (kind) {
        case ResultKind::Boolean: return result.boolean != 0 ? "true" : "false";
        case ResultKind::Integer: return std::to_string(result.integer);
        case ResultKind::Real: return sr::jsonReal(result.real);
        case ResultKind::String: return sr::jsonString(result.string != nullptr ? result.string : "");
        case ResultKind::RealTensor:
        case ResultKind::IntegerTensor: {
            std::unique_ptr<st_MTensor, TensorRelease> owned(result.tensor);
            result.tensor = nullptr;
            return renderTensor(owned.get());
        }
        case ResultKind::Image: {
            std::unique_ptr<st_MImage, ImageRelease> owned(result.image);
            result.image = nullptr;
            return renderImage(owned.get(), options);
        }
        case ResultKind::RawArray: {
            std::unique_ptr<st_MRawArray, RawArrayRelease> owned(result.rawArray);
            result.rawArray = nullptr;
            return renderRawArray(owned.get(), options);
        }
        case ResultKind::None:
        case ResultKind::Expression: break;
    }
    throw std::logic_error("link results are rendered by the link call; lifecycle calls have none");
}

}  // namespace korvel
