#include "host/korvel/loaded_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "host/stand_in/host_stand_in.h"

namespace korvel {

LoadedLibrary::LoadedLibrary(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        throw std::runtime_error(why != nullptr ? why : ("cannot load " + path));
    }
}

LoadedLibrary::~LoadedLibrary() {
    if (initialized_) {
        if (auto uninitialize = reinterpret_cast<void (*)()>(symbol("KorvelLibrary_uninitialize"))) {
            uninitialize();
        }
    }
    dlclose(handle_);
}

mint LoadedLibrary::version() const {
    auto getVersion = reinterpret_cast<mint (*)()>(symbol("KorvelLibrary_getVersion"));
    if (getVersion == nullptr) throw std::runtime_error("KorvelLibrary_getVersion is not exported");
    return getVersion();
}

int LoadedLibrary::initialize() const {
    auto init = reinterpret_cast<int (*)(KorvelLibraryData)>(symbol("KorvelLibrary_initialize"));
    if (init == nullptr) throw std::runtime_error("KorvelLibrary_initialize is not exported");
    const int code = init(hostLibraryData());
    const_cast<LoadedLibrary*>(this)->initialized_ = true;
    return code;
}

void* LoadedLibrary::symbol(const std::string& name) const { return dlsym(handle_, name.c_str()); }

std::string defaultLibraryPath(const char* argv0) {
    if (const char* env = std::getenv("MORVALE_LIBRARY"); env != nullptr && *env != '\0') {
        return env;
    }
    std::error_code ec;
    std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec) self = std::filesystem::absolute(argv0);
    return (self.parent_path() / MORVALE_LIBRARY_FILE).string();
}

}  // namespace korvel
