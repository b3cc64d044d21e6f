// The product library loaded (dlopen or LoadLibrary) and initialised with the stand-in
// host's table, as a host kernel does. Uninitialises and unloads on
// destruction.
#pragma once

#include <string>

#include "bridge/korvel_library.h"

namespace korvel {

using LibraryFunction = int (*)(KorvelLibraryData, mint, MArgument*, MArgument);

class LoadedLibrary {
public:
    // Throws std::runtime_error with the loader's reason when loading fails.
    explicit LoadedLibrary(const std::string& path);
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    ~LoadedLibrary();

    mint version() const;
    int initialize() const;
    // The exported symbol of that name, or null.
    void* symbol(const std::string& name) const;

private:
    void* handle_ = nullptr;
    bool initialized_ = false;
};

// Where korvel finds the library: $MORVALE_LIBRARY if set, else the file
// next to the korvel executable.
std::string defaultLibraryPath(const char* argv0);

}  // namespace korvel
