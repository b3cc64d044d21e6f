#include "host/korvel/host_arguments.h"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "host/korvel/media_files.h"
#include "host/stand_in/host_stand_in.h"

namespace korvel {
namespace {

std::vector<std::string> splitCommas(const std::string& text) {
    std::vector<std::string> parts;
    if (text.empty()) return parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) parts.push_back(part);
    if (text.back() == ',') parts.emplace_back();
    return parts;
}

// Fills a new host tensor; an empty list has no data to copy (and its
// vector's data pointer may be null, which memcpy must not be given).
void copyInto(MTensor tensor, const void* values, std::size_t bytes) {
    if (bytes != 0) std::memcpy(const_cast<void*>(tensorData(tensor)), values, bytes);
}

long long parseInteger(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE) {
        throw std::invalid_argument("not an integer: \"" + text + "\"");
    }
    return value;
}

double parseReal(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') throw std::invalid_argument("not a number: \"" + text + "\"");
    return value;
}

}  // namespace

std::vector<long long> parseIntegerList(const std::string& text) {
    std::vector<long long> values;
    for (const std::string& part : splitCommas(text)) values.push_back(parseInteger(part));
    return values;
}

std::vector<double> parseRealList(const std::string& text) {
    std::vector<double> values;
    for (const std::string& part : splitCommas(text)) values.push_back(parseReal(part));
    return values;
}

HostArguments::HostArguments(const std::vector<ArgKind>& kinds, const std::vector<std::string>& texts) {
    if (kinds.size() != texts.size()) {
        throw std::invalid_argument("expected " + std::to_string(kinds.size()) + " argument(s), got " +
                                    std::to_string(texts.size()));
    }
    try {
        addAll(kinds, texts);
    } catch (...) {
        release();  // what was made before the bad argument is still the host's to free
        throw;
    }
}

void HostArguments::addAll(const std::vector<ArgKind>& kinds, const std::vector<std::string>& texts) {
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        MArgument slot{};
        const std::string& text = texts[i];
        switch (kinds[i]) {
            case ArgKind::String:
                strings_.push_back(newHostString(text));
                slot.utf8string = &strings_.back();
                break;
            case ArgKind::Integer:
                integers_.push_back(parseInteger(text));
                slot.integer = &integers_.back();
                break;
            case ArgKind::IntegerList: {
                const auto values = parseIntegerList(text);
                tensors_.push_back(newHostTensor(MType_Integer, {static_cast<mint>(values.size())}));
                copyInto(tensors_.back(), values.data(), values.size() * sizeof(long long));
                slot.tensor = &tensors_.back();
                break;
            }
            case ArgKind::RealList: {
                const auto values = parseRealList(text);
                tensors_.push_back(newHostTensor(MType_Real, {static_cast<mint>(values.size())}));
                copyInto(tensors_.back(), values.data(), values.size() * sizeof(double));
                slot.tensor = &tensors_.back();
                break;
            }
            case ArgKind::Image:
                images_.push_back(readImageArgument(text));
                slot.image = &images_.back();
                break;
            case ArgKind::RawArray:
                rawArrays_.push_back(readWavArgument(text));
                slot.rawarray = &rawArrays_.back();
                break;
        }
        slots_.push_back(slot);
    }
}

HostArguments::~HostArguments() { release(); }

void HostArguments::release() {
    // Strings the library did not read are still the host's.
    KorvelLibraryData host = hostLibraryData();
    for (char* s : strings_) {
        if (isLiveHostString(s)) host->UTF8String_disown(s);
    }
    for (MTensor t : tensors_) freeHostTensor(t);
    for (MImage i : images_) freeHostImage(i);
    for (MRawArray r : rawArrays_) freeHostRawArray(r);
    strings_.clear();
    tensors_.clear();
    images_.clear();
    rawArrays_.clear();
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
        case ResultKind::Link: break;
    }
    return slot;
}

}  // namespace korvel
