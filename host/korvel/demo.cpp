#include "host/korvel/demo.h"

#include <iostream>

namespace korvel {

int runDemo(const LoadedLibrary& library, const std::string& samplePath) {
    std::cout << "library interface version: " << library.version() << "\n";
    const int code = library.initialize();
    std::cout << "initialisation returned: " << code << "\n";
    (void)samplePath;
    return code == 0 ? 0 : 1;
}

}  // namespace korvel
