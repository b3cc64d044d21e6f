#include "video/read/frame_numbers.h"

#include <algorithm>
#include <cstdint>

#include "bridge/error_manager.h"

namespace TravexUtils {

PlannedRequest planFromNumbers(const Tensor<long long>& numbers) {
    if (numbers.rank() != 1) {
        ErrorManager::throwException("TensorSizeError", "Tensor should be of rank 1");
    }
    PlannedRequest plan;
    const long long* values = numbers.data();
    const mint n = numbers.flattenedLength();
    for (mint i = 0; i < n; ++i) {
        // The smallest number has no predecessor; as a key it matches no
        // frame all the same.
        const int64_t number = values[i];
        const int64_t key = number == INT64_MIN ? INT64_MIN : number - 1;
        plan.request.insert(key, i);
        plan.lastIndex = std::max(plan.lastIndex, static_cast<int32_t>(key));
    }
    plan.sliceCount = n;
    return plan;
}

PlannedRequest planAllFrames(uint32_t frameCount) {
    PlannedRequest plan;
    for (uint32_t k = 0; k < frameCount; ++k) {
        plan.request.insert(k, k);
    }
    plan.lastIndex = static_cast<int32_t>(frameCount) - 1;
    plan.sliceCount = frameCount;
    plan.storeCount = true;
    return plan;
}

}  // namespace TravexUtils
