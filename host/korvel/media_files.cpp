#include "host/korvel/media_files.h"

#include <stdexcept>

namespace korvel {

MImage readImageArgument(const std::string& path) {
    throw std::runtime_error("image arguments are not available in this build: " + path);
}

MRawArray readWavArgument(const std::string& path) {
    throw std::runtime_error("audio arguments are not available in this build: " + path);
}

}  // namespace korvel
