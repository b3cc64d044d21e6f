// Turns the host's 1-based frame numbers into a frame request.
#pragma once

#include <cstdint>

#include "bridge/tensor.h"
#include "video/read/frame_request.h"

namespace TravexUtils {

// Frame numbers (rank-1 tensor, 1-based) -> one slot per number, in order.
// Numbers below 1 make keys that match no frame. Raises "TensorSizeError"
// for a tensor of another rank.
PlannedRequest planFromNumbers(const Tensor<long long>& numbers);

// Every frame of a file with frameCount frames, one slot each.
PlannedRequest planAllFrames(uint32_t frameCount);

}  // namespace TravexUtils
