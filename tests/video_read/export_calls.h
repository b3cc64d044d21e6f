// Calls the library's exported functions in-process the way a host does:
// argument slots and a result slot backed by host storage, host-made strings
// and tensors, and the results freed afterwards (the host owns them).
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "bridge/korvel_library.h"
#include "host/sr64i4/sr_host.h"
#include "host/stand_in/host_stand_in.h"

extern "C" {
int KorvelLibrary_initialize(KorvelLibraryData);
void KorvelLibrary_uninitialize();
int MFInitVideoReader(KorvelLibraryData, mint, MArgument*, MArgument);
int MFReadNextVideoFrame(KorvelLibraryData, mint, MArgument*, MArgument);
int MFFinalizeVideoReader(KorvelLibraryData, mint, MArgument*, MArgument);
int MFReadVideoData(KorvelLibraryData, mint, MArgument*, MArgument);
int MFReadVideoFrameCount(KorvelLibraryData, mint, MArgument*, MArgument);
int MFReadVideoFrameDurations(KorvelLibraryData, mint, MArgument*, MArgument);
int DeleteVideoCache(KorvelLibraryData, mint, MArgument*, MArgument);
int MFReadVideoProperties(KorvelLibraryData, SRLINK);
}

namespace morvale_test {

using SlotFunction = int (*)(KorvelLibraryData, mint, MArgument*, MArgument);

// One call's arguments and result. Host arrays made for the arguments and
// returned as results are freed when the call object goes.
class ExportCall {
public:
    ExportCall() = default;
    ExportCall(const ExportCall&) = delete;
    ExportCall& operator=(const ExportCall&) = delete;
    ~ExportCall() {
        for (char* s : strings_) {
            if (korvel::isLiveHostString(s)) korvel::hostLibraryData()->UTF8String_disown(s);
        }
        for (MTensor t : tensors_) korvel::freeHostTensor(t);
        if (image_ != nullptr) korvel::freeHostImage(image_);
        if (tensor_ != nullptr) korvel::freeHostTensor(tensor_);
    }

    ExportCall& string(const std::string& text) {
        strings_.push_back(korvel::newHostString(text));
        slots_.push_back({});
        slotStrings_.push_back(strings_.size() - 1);
        return *this;
    }
    ExportCall& numbers(const std::vector<long long>& values) {
        MTensor t = korvel::newHostTensor(MType_Integer, {static_cast<mint>(values.size())});
        std::copy(values.begin(), values.end(), static_cast<long long*>(const_cast<void*>(korvel::tensorData(t))));
        tensors_.push_back(t);
        slots_.push_back({});
        slotStrings_.push_back(static_cast<std::size_t>(-1));
        return *this;
    }

    enum class Result { Boolean, Integer, Image, Tensor };

    // Runs fn with a result slot of the given kind.
    int run(SlotFunction fn, Result kind) {
        std::size_t tensorIndex = 0;
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            if (slotStrings_[i] != static_cast<std::size_t>(-1)) {
                slots_[i].utf8string = &strings_[slotStrings_[i]];
            } else {
                slots_[i].tensor = &tensors_[tensorIndex++];
            }
        }
        MArgument res{};
        switch (kind) {
            case Result::Boolean: res.boolean = &boolean_; break;
            case Result::Integer: res.integer = &integer_; break;
            case Result::Image: res.image = &image_; break;
            case Result::Tensor: res.tensor = &tensor_; break;
        }
        return fn(korvel::hostLibraryData(), static_cast<mint>(slots_.size()), slots_.empty() ? nullptr : slots_.data(),
                  res);
    }

    bool boolean() const { return boolean_ != 0; }
    mint integer() const { return integer_; }
    MImage image() const { return image_; }
    MTensor tensor() const { return tensor_; }

private:
    mbool boolean_ = -1;
    mint integer_ = -1;
    MImage image_ = nullptr;
    MTensor tensor_ = nullptr;
    std::vector<char*> strings_;
    std::vector<MTensor> tensors_;
    std::vector<MArgument> slots_;
    std::vector<std::size_t> slotStrings_;
};

// MFReadVideoProperties over a fresh host link; the expression it wrote, if any.
struct LinkReply {
    int code = 0;
    std::optional<SrValue> expression;
    std::optional<SrValue> partial;
};

inline LinkReply callPropertiesExport(int (*fn)(KorvelLibraryData, SRLINK), const std::vector<SrValue>& args) {
    SRLINK link = srhost_newLink();
    srhost_putArguments(link, args);
    LinkReply reply;
    reply.code = fn(korvel::hostLibraryData(), link);
    reply.expression = srhost_read(link);
    reply.partial = srhost_partial(link);
    srhost_deleteLink(link);
    return reply;
}

}  // namespace morvale_test
