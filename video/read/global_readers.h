// The process-wide frame-by-frame readers, one per reader kind: installed by
// an Init call, moved one frame per ReadNext call, removed by Finalize or by
// a failure. Separate from the video cache. Used from the host's calling
// thread without locks.
#pragma once

#include <memory>

#include "video/read/video_reader.h"

namespace TravexUtils {

std::unique_ptr<VideoReader>& globalMFReader();
std::unique_ptr<VideoReader>& globalDSReader();
std::unique_ptr<VideoReader>& globalReader(ReaderKind kind);

}  // namespace TravexUtils
