// The process-wide frame-by-frame readers: installed by an Init call, moved
// one frame per ReadNext call, removed by Finalize or by a failure. Separate
// from the video cache. Used from the host's calling thread without locks.
#pragma once

#include <memory>

#include "video/read/ds_video_reader.h"
#include "video/read/mf_video_reader.h"

namespace TravexUtils {

std::unique_ptr<MFVideoReader>& globalMFReader();
std::unique_ptr<DSVideoReader>& globalDSReader();

}  // namespace TravexUtils
