#include "video/read/global_readers.h"

namespace TravexUtils {

std::unique_ptr<MFVideoReader>& globalMFReader() {
    static std::unique_ptr<MFVideoReader> reader;
    return reader;
}

std::unique_ptr<DSVideoReader>& globalDSReader() {
    static std::unique_ptr<DSVideoReader> reader;
    return reader;
}

}  // namespace TravexUtils
