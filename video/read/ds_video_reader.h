// Reads one video file through a DirectShow filter graph with a sample
// grabber. The record part is shared with the video cache, which keeps one
// DirectShow reader per file next to the Media Foundation one.
#pragma once

#include <string>
#include <utility>

#include "video/read/video_info.h"

namespace TravexUtils {

class DSVideoReader {
public:
    explicit DSVideoReader(std::string path) : info(std::move(path)) {}
    DSVideoReader(const DSVideoReader&) = delete;
    DSVideoReader& operator=(const DSVideoReader&) = delete;

    VideoInfo info;
};

}  // namespace TravexUtils
