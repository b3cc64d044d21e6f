// Host-side storage for one call's argument slots and result slot. The host
// owns every value here; strings the library did not hand back and arrays the
// host made are released when the call's storage is destroyed.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "bridge/korvel_library.h"
#include "host/korvel/signatures.h"

namespace korvel {

struct ResultStorage {
    mbool boolean = 0;
    mint integer = 0;
    mreal real = 0;
    char* string = nullptr;
    MTensor tensor = nullptr;
    MImage image = nullptr;
    MRawArray rawArray = nullptr;
};

class HostArguments {
public:
    // Parses each text by its kind; throws std::invalid_argument on text that
    // does not fit the kind.
    HostArguments(const std::vector<ArgKind>& kinds, const std::vector<std::string>& texts);
    HostArguments(const HostArguments&) = delete;
    HostArguments& operator=(const HostArguments&) = delete;
    ~HostArguments();

    mint count() const { return static_cast<mint>(slots_.size()); }
    MArgument* slots() { return slots_.empty() ? nullptr : slots_.data(); }
    MArgument resultSlot(ResultKind kind);
    ResultStorage& result() { return result_; }

private:
    void addAll(const std::vector<ArgKind>& kinds, const std::vector<std::string>& texts);
    void release();

    std::deque<mint> integers_;
    std::deque<char*> strings_;
    std::deque<MTensor> tensors_;
    std::deque<MImage> images_;
    std::deque<MRawArray> rawArrays_;
    std::vector<MArgument> slots_;
    ResultStorage result_;
};

// Parses "3,1,3" into numbers; "" is the empty list.
std::vector<long long> parseIntegerList(const std::string& text);
std::vector<double> parseRealList(const std::string& text);

}  // namespace korvel
