#include "bridge/marray_base.h"

#include <utility>

#include "bridge/error_manager.h"

namespace TravexUtils {

std::vector<mint> rowMajorOffsets(const std::vector<mint>& dims) {
    std::vector<mint> offsets(dims.size(), 1);
    for (std::size_t k = dims.size(); k-- > 1;) {
        offsets[k - 1] = offsets[k] * dims[k];
    }
    return offsets;
}

MArrayBase::MArrayBase(std::vector<mint> dims) {
    if (getLibraryData() == nullptr || rawArrayFunctions() == nullptr || imageFunctions() == nullptr) {
        ErrorManager::throwException("FunctionError");
    }
    const mint length = product(dims);
    setShape(std::move(dims), length);
}

MArrayBase::MArrayBase(MArrayBase&& other) noexcept
    : flattenedLength_(other.flattenedLength_),
      rank_(other.rank_),
      dimensions_(std::move(other.dimensions_)),
      offsets_(std::move(other.offsets_)),
      owner_(std::exchange(other.owner_, false)) {}

void MArrayBase::initError() const { ErrorManager::throwException("FunctionError"); }

void MArrayBase::sizeError() const { ErrorManager::throwException("DimensionsError"); }

void MArrayBase::setShape(std::vector<mint> dims, mint flattenedLength) {
    rank_ = static_cast<mint>(dims.size());
    flattenedLength_ = flattenedLength;
    offsets_ = rowMajorOffsets(dims);
    dimensions_ = std::move(dims);
}

mint MArrayBase::product(const std::vector<mint>& dims) {
    mint length = 1;
    for (mint d : dims) {
        length *= d;
    }
    return length;
}

}  // namespace TravexUtils
