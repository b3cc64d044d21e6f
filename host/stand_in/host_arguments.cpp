#include "host/stand_in/host_arguments.h"

#include <algorithm>

#include "host/stand_in/host_stand_in.h"

namespace korvel {
namespace {

template <typename T>
MTensor newListTensor(mint type, const std::vector<T>& values) {
    MTensor tensor = newHostTensor(type, {static_cast<mint>(values.size())});
    std::copy(values.begin(), values.end(), static_cast<T*>(const_cast<void*>(tensorData(tensor))));
    return tensor;
}

}  // namespace

HostArguments::~HostArguments() { release(); }

template <typename T>
HostArguments& HostArguments::addSlot(std::deque<T>& storage, T value, T* MArgument::*member) {
    storage.push_back(value);  // first, so that the destructor releases it whatever happens next
    MArgument slot{};
    slot.*member = &storage.back();
    slots_.push_back(slot);
    return *this;
}

HostArguments& HostArguments::addString(const std::string& text) {
    return addSlot(strings_, newHostString(text), &MArgument::utf8string);
}

HostArguments& HostArguments::addInteger(mint value) { return addSlot(integers_, value, &MArgument::integer); }

HostArguments& HostArguments::addIntegers(const std::vector<long long>& values) {
    return addSlot(tensors_, newListTensor(MType_Integer, values), &MArgument::tensor);
}

HostArguments& HostArguments::addReals(const std::vector<double>& values) {
    return addSlot(tensors_, newListTensor(MType_Real, values), &MArgument::tensor);
}

HostArguments& HostArguments::adoptImage(MImage image) { return addSlot(images_, image, &MArgument::image); }

HostArguments& HostArguments::adoptRawArray(MRawArray rawArray) {
    return addSlot(rawArrays_, rawArray, &MArgument::rawarray);
}

MArgument HostArguments::resultSlot(ResultKind kind) {
    MArgument slot{};
    switch (kind) {
        case ResultKind::Boolean: slot.boolean = &result_.boolean; break;
        case ResultKind::Integer: slot.integer = &result_.integer; break;
        case ResultKind::Real: slot.real = &result_.real; break;
        case ResultKind::String: slot.utf8string = &result_.string; break;
        case ResultKind::Image: slot.image = &result_.image; break;
        case ResultKind::RealTensor:
        case ResultKind::IntegerTensor: slot.tensor = &result_.tensor; break;
        case ResultKind::RawArray: slot.rawarray = &result_.rawArray; break;
        case ResultKind::None:
        case ResultKind::Expression: break;
    }
    return slot;
}

int HostArguments::call(int (*function)(KorvelLibraryData, mint, MArgument*, MArgument), ResultKind kind) {
    return function(hostLibraryData(), count(), slots(), resultSlot(kind));
}

void HostArguments::release() {
    // Strings the library did not read are still the host's.
    KorvelLibraryData host = hostLibraryData();
    for (char* s : strings_) {
        if (isLiveHostString(s)) host->UTF8String_disown(s);
    }
    for (MTensor t : tensors_) freeHostTensor(t);
    for (MImage i : images_) freeHostImage(i);
    for (MRawArray r : rawArrays_) freeHostRawArray(r);
    // Results the library handed over and nobody took.
    if (result_.tensor != nullptr) freeHostTensor(result_.tensor);
    if (result_.image != nullptr) freeHostImage(result_.image);
    if (result_.rawArray != nullptr) freeHostRawArray(result_.rawArray);
    strings_.clear();
    tensors_.clear();
    images_.clear();
    rawArrays_.clear();
    result_ = {};
}

}  // namespace korvel
