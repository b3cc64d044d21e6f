// Reads one video file through a DirectShow filter graph with a sample
// grabber. It plugs into the reading exports, the global frame-by-frame
// reader and the video cache's DirectShow slot through VideoReader; its
// operations come with the reader itself.
#pragma once

#include <string>
#include <utility>

#include "video/read/video_reader.h"

namespace TravexUtils {

class DSVideoReader : public VideoReader {
public:
    static constexpr ReaderKind kind = ReaderKind::DirectShow;

    explicit DSVideoReader(std::string path) : VideoReader(std::move(path)) {}
};

}  // namespace TravexUtils
