#include "video/write/global_writer.h"

namespace TravexUtils {

std::unique_ptr<VideoWriter>& globalVideoWriter() {
    static std::unique_ptr<VideoWriter> writer;
    return writer;
}

}  // namespace TravexUtils
