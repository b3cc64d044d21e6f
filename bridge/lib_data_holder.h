// The library's private copy of the host's callback table, refreshed at every
// argument-slot call, and the cached sub-table pointers taken from it. The
// sub-tables themselves stay the host's. Process-wide; used without locks
// because the host calls the library one function at a time.
#pragma once

#include <memory>

#include "bridge/korvel_library.h"

namespace TravexUtils {

class LibDataHolder {
public:
    // Replaces the stored copy with a copy of the host's table; null empties
    // the holder and clears the cached sub-table pointers.
    static void setLibraryData(KorvelLibraryData libData);

    // The stored copy, or null before the first call.
    static KorvelLibraryData getLibraryData() { return libData_.get(); }
    static KorvelImageFunctions imageFunctions() { return imageFunctions_; }
    static KorvelRawArrayFunctions rawArrayFunctions() { return rawArrayFunctions_; }
    static void* ioFunctions() { return ioFunctions_; }

protected:
    LibDataHolder() = default;
    ~LibDataHolder() = default;

private:
    static std::unique_ptr<st_KorvelLibraryData> libData_;
    static KorvelImageFunctions imageFunctions_;
    static KorvelRawArrayFunctions rawArrayFunctions_;
    static void* ioFunctions_;
};

}  // namespace TravexUtils
