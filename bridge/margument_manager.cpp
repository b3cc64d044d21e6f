#include "bridge/margument_manager.h"

#include <utility>

#include "bridge/error_manager.h"
#include "bridge/lib_data_holder.h"

namespace TravexUtils {
namespace {

// One process-wide buffer for string results; the host reads it before its
// next call.
std::string& stringResultBuffer() {
    static std::string buffer;
    return buffer;
}

}  // namespace

MArgumentManager::MArgumentManager(KorvelLibraryData libData, mint argc, MArgument* args, MArgument res)
    : argc_(argc), args_(args), res_(res) {
    LibDataHolder::setLibraryData(libData);
    KorvelLibraryData copy = LibDataHolder::getLibraryData();
    void (*release)(char*) = copy != nullptr ? copy->UTF8String_disown : nullptr;
    strings_.assign(static_cast<std::size_t>(argc > 0 ? argc : 0), StringSlot{release, nullptr});
}

MArgumentManager::~MArgumentManager() {
    for (const StringSlot& slot : strings_) {
        if (slot.string != nullptr && slot.release != nullptr) {
            slot.release(slot.string);
        }
    }
}

void MArgumentManager::checkIndex(uint32_t index) const {
    if (static_cast<mint>(index) >= argc_) {
        ErrorManager::throwException("MArgumentIndexError",
                                     "Index " + std::to_string(index) + " out-of-bound when accessing Travex argument");
    }
}

MArgument MArgumentManager::getArgument(uint32_t index) const {
    checkIndex(index);
    return args_[index];
}

mint MArgumentManager::getInteger(uint32_t index) const { return *getArgument(index).integer; }

const char* MArgumentManager::getCString(uint32_t index) {
    checkIndex(index);
    StringSlot& slot = strings_[index];
    if (slot.string == nullptr) {
        slot.string = *args_[index].utf8string;
    }
    return slot.string;
}

std::string MArgumentManager::getString(uint32_t index) { return std::string(getCString(index)); }

Tensor<long long> MArgumentManager::getTensor(uint32_t index) const {
    return Tensor<long long>(*getArgument(index).tensor);
}

Image<unsigned char> MArgumentManager::getImage(uint32_t index) const {
    return Image<unsigned char>(*getArgument(index).image);
}

RawArray<short> MArgumentManager::getRawArray(uint32_t index) const {
    return RawArray<short>(*getArgument(index).rawarray);
}

void MArgumentManager::setBoolean(bool value) { *res_.boolean = value ? 1 : 0; }

void MArgumentManager::setInteger(mint value) { *res_.integer = value; }

void MArgumentManager::setReal(double value) { *res_.real = value; }

void MArgumentManager::setString(const std::string& value) {
    std::string& buffer = stringResultBuffer();
    if (&value != &buffer) {
        buffer = value;
    }
    *res_.utf8string = buffer.data();
}

void MArgumentManager::setString(std::string&& value) {
    std::string& buffer = stringResultBuffer();
    if (&value != &buffer) {
        buffer = std::move(value);
    }
    *res_.utf8string = buffer.data();
}

void MArgumentManager::setArrayResult(MArrayBase& array) {
    array.passAsResult(res_);
    array.setOwner(false);
}

}  // namespace TravexUtils
