#include <stdexcept>

#include "host/korvel/wav_files.h"

namespace korvel {

void writeWav(const std::string& path, const int16_t*, int, int64_t, int) {
    throw std::runtime_error("WAV output is not available in the Windows build: " + path);
}

}  // namespace korvel
