// The process-wide frame-by-frame writer: made by MFInitVideoWriter as soon
// as it has read its path, removed by MFFinalizeVideoWriter. Kept across
// library uninitialisation. Used from the host's calling thread without
// locks.
#pragma once

#include <memory>

#include "video/write/video_writer.h"

namespace TravexUtils {

std::unique_ptr<VideoWriter>& globalVideoWriter();

}  // namespace TravexUtils
