// The host's side of one call of an exported function: the argument slots,
// the values behind them and the result slot, laid out from the export's
// manifest row. korvel fills it from command-line text, tests from values.
// The host owns every value here: strings the library did not hand back,
// the arrays made for the arguments and the arrays still held as results
// are released when the storage is destroyed.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "bridge/korvel_library.h"
#include "exports/export_manifest.h"

namespace korvel {

using MorvaleExports::ArgumentKind;
using MorvaleExports::ResultKind;

struct ResultStorage {
    mbool boolean = 0;
    mint integer = 0;
    mreal real = 0;
    char* string = nullptr;  // the library's string-result buffer, not the host's
    MTensor tensor = nullptr;
    MImage image = nullptr;
    MRawArray rawArray = nullptr;
};

class HostArguments {
public:
    HostArguments() = default;
    HostArguments(const HostArguments&) = delete;
    HostArguments& operator=(const HostArguments&) = delete;
    ~HostArguments();

    // Each adds the next argument slot.
    HostArguments& addString(const std::string& text);
    HostArguments& addInteger(mint value);
    HostArguments& addIntegers(const std::vector<long long>& values);  // rank-1 integer tensor
    HostArguments& addReals(const std::vector<double>& values);        // rank-1 real tensor
    HostArguments& adoptImage(MImage image);                           // a host image; freed with the storage
    HostArguments& adoptRawArray(MRawArray rawArray);                  // a host raw array; freed with the storage

    mint count() const { return static_cast<mint>(slots_.size()); }
    MArgument* slots() { return slots_.empty() ? nullptr : slots_.data(); }
    // The result slot for that kind; results the library hands over stay in
    // result() until taken (set to null) or until the storage goes.
    MArgument resultSlot(ResultKind kind);
    ResultStorage& result() { return result_; }
    const ResultStorage& result() const { return result_; }

    // Calls an argument-slot export with these slots and a result slot of
    // the given kind; its code.
    int call(int (*function)(KorvelLibraryData, mint, MArgument*, MArgument), ResultKind kind);

private:
    // Keeps the value in its storage and adds a slot pointing at it.
    template <typename T>
    HostArguments& addSlot(std::deque<T>& storage, T value, T* MArgument::*member);
    void release();

    std::deque<mint> integers_;
    std::deque<char*> strings_;
    std::deque<MTensor> tensors_;
    std::deque<MImage> images_;
    std::deque<MRawArray> rawArrays_;
    std::vector<MArgument> slots_;
    ResultStorage result_;
};

}  // namespace korvel
