#include "host/korvel/loaded_library.h"

#include <cstdlib>
#include <stdexcept>

#include "host/korvel/native_library.h"
#include "host/stand_in/host_stand_in.h"

namespace korvel {

LoadedLibrary::LoadedLibrary(const std::string& path) : handle_(openNativeLibrary(path)) {}

LoadedLibrary::~LoadedLibrary() {
    if (initialized_) {
        if (auto uninitialize = reinterpret_cast<void (*)()>(symbol("KorvelLibrary_uninitialize"))) {
            uninitialize();
        }
    }
    closeNativeLibrary(handle_);
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

void* LoadedLibrary::symbol(const std::string& name) const { return findNativeSymbol(handle_, name); }

std::string defaultLibraryPath(const char* argv0) {
    if (const char* env = std::getenv("MORVALE_LIBRARY"); env != nullptr && *env != '\0') {
        return env;
    }
    return (executableFile(argv0).parent_path() / MORVALE_LIBRARY_FILE).string();
}

}  // namespace korvel
