// Per-call access to a library function's argument slots and result slot.
// Built first in every argument-slot call; it refreshes the library's copy of
// the callback table, borrows the host's string arguments and hands each one
// back exactly once when the call ends, whether it succeeded or failed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bridge/image.h"
#include "bridge/korvel_library.h"
#include "bridge/raw_array.h"
#include "bridge/tensor.h"

namespace TravexUtils {

class MArgumentManager {
public:
    MArgumentManager(KorvelLibraryData libData, mint argc, MArgument* args, MArgument res);
    MArgumentManager(const MArgumentManager&) = delete;
    MArgumentManager& operator=(const MArgumentManager&) = delete;
    virtual ~MArgumentManager();

    mint argumentCount() const noexcept { return argc_; }

    MArgument getArgument(uint32_t index) const;
    mint getInteger(uint32_t index) const;
    // Borrowed from the host; the same pointer on every read of the index,
    // valid until the manager is destroyed.
    const char* getCString(uint32_t index);
    std::string getString(uint32_t index);

    Tensor<long long> getTensor(uint32_t index) const;
    Image<unsigned char> getImage(uint32_t index) const;
    RawArray<short> getRawArray(uint32_t index) const;

    void setBoolean(bool value);
    void setInteger(mint value);
    void setReal(double value);
    // Stores the text in the process-wide string-result buffer and hands the
    // host a pointer to it; the next string result overwrites it.
    void setString(const std::string& value);
    void setString(std::string&& value);
    // Hands the array to the host as the result; the wrapper stops owning it.
    void setArrayResult(MArrayBase& array);

private:
    void checkIndex(uint32_t index) const;

    struct StringSlot {
        void (*release)(char*);
        char* string;
    };

    mint argc_;
    MArgument* args_;
    MArgument res_;
    std::vector<StringSlot> strings_;
};

}  // namespace TravexUtils
