#include "host/korvel/native_library.h"

#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace korvel {

#ifdef _WIN32

namespace {

// FormatMessage's text for a Win32 error code, without the trailing line
// break, followed by the code itself (the text alone is often vague).
std::string systemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
        message.pop_back();
    }
    return (message.empty() ? "error" : message) + " (Win32 error " + std::to_string(code) + ")";
}

}  // namespace

NativeLibrary openNativeLibrary(const std::string& path) {
    // The library's own imports (SR64I4.dll) are looked up next to it, not
    // next to whoever loads it, as with the host kernel; that search needs
    // an absolute path.
    const std::wstring widePath = std::filesystem::absolute(std::filesystem::path(path)).wstring();
    HMODULE module = LoadLibraryExW(widePath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) {
        throw std::runtime_error("cannot load " + path + ": " + systemMessage(GetLastError()));
    }
    return reinterpret_cast<NativeLibrary>(module);
}

void* findNativeSymbol(NativeLibrary library, const std::string& name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
}

void closeNativeLibrary(NativeLibrary library) {
    if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

std::filesystem::path executableFile(const char* argv0) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::filesystem::absolute(argv0);
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer);
        }
        buffer.resize(buffer.size() * 2);  // truncated: a long path
    }
}

#else

NativeLibrary openNativeLibrary(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        throw std::runtime_error(why != nullptr ? why : ("cannot load " + path));
    }
    return handle;
}

void* findNativeSymbol(NativeLibrary library, const std::string& name) { return dlsym(library, name.c_str()); }

void closeNativeLibrary(NativeLibrary library) {
    if (library != nullptr) dlclose(library);
}

std::filesystem::path executableFile(const char* argv0) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec) self = std::filesystem::absolute(argv0);
    return self;
}

#endif

}  // namespace korvel
