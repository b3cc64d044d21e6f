#include "video/read/global_readers.h"

namespace TravexUtils {

std::unique_ptr<VideoReader>& globalMFReader() {
    static std::unique_ptr<VideoReader> reader;
    return reader;
}

std::unique_ptr<VideoReader>& globalDSReader() {
    static std::unique_ptr<VideoReader> reader;
    return reader;
}

std::unique_ptr<VideoReader>& globalReader(ReaderKind kind) {
    return kind == ReaderKind::MediaFoundation ? globalMFReader() : globalDSReader();
}

}  // namespace TravexUtils
