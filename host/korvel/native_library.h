// The one place korvel touches the system's loader: dlopen/dlsym on Linux,
// LoadLibrary/GetProcAddress on Windows. Everything above works with the
// opaque handle.
#pragma once

#include <filesystem>
#include <string>

namespace korvel {

using NativeLibrary = void*;

// Loads the library at path and resolves all its imports now. Throws
// std::runtime_error carrying the loader's own reason when it fails.
NativeLibrary openNativeLibrary(const std::string& path);

// The exported symbol of that name, or null when the library has none.
void* findNativeSymbol(NativeLibrary library, const std::string& name);

// Drops the reference openNativeLibrary took. A null handle is ignored.
void closeNativeLibrary(NativeLibrary library);

// The running executable's own file; argv0 is used only when the system
// cannot tell.
std::filesystem::path executableFile(const char* argv0);

}  // namespace korvel
