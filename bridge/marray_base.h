// Shape and ownership shared by every wrapper of a host array (tensor, image,
// raw array). A wrapper around an array the host passed in never owns it; a
// wrapper that created its array owns it until the array is passed as the
// result, after which the host owns it.
#pragma once

#include <vector>

#include "bridge/korvel_library.h"
#include "bridge/lib_data_holder.h"

namespace TravexUtils {

class MArrayBase : public LibDataHolder {
public:
    MArrayBase(const MArrayBase&) = delete;
    MArrayBase& operator=(const MArrayBase&) = delete;
    virtual ~MArrayBase() = default;

    mint flattenedLength() const noexcept { return flattenedLength_; }
    mint rank() const noexcept { return rank_; }
    const std::vector<mint>& dimensions() const noexcept { return dimensions_; }
    const std::vector<mint>& offsets() const noexcept { return offsets_; }
    bool isOwner() const noexcept { return owner_; }
    void setOwner(bool owner) noexcept { owner_ = owner; }

    // Writes the host handle into the result slot. The caller then clears the
    // owner flag (MArgumentManager::setArrayResult does both).
    virtual void passAsResult(MArgument result) const = 0;

protected:
    MArrayBase() = default;
    MArrayBase(MArrayBase&& other) noexcept;

    // Shape from a dimension list for a wrapper that will create its array.
    // Requires the callback-table copy and both sub-tables ("FunctionError").
    explicit MArrayBase(std::vector<mint> dims);

    [[noreturn]] virtual void indexError() const = 0;
    [[noreturn]] virtual void initError() const;
    [[noreturn]] virtual void sizeError() const;
    virtual void createInternal() = 0;
    virtual void releaseInternal() = 0;

    // Stores the dimensions and derives rank and offsets; the flattened length
    // is given separately because host-made arrays report their own.
    void setShape(std::vector<mint> dims, mint flattenedLength);
    static mint product(const std::vector<mint>& dims);

    mint flattenedLength_ = 1;
    mint rank_ = 0;
    std::vector<mint> dimensions_;
    std::vector<mint> offsets_;
    bool owner_ = false;
};

// Gives up the host's share of an array and frees it when the wrapper owns
// it; the handle is cleared. The same rule for tensors, images and raw arrays.
template <typename Handle>
void releaseHostArray(Handle& handle, bool owner, mint (*shareCount)(Handle), void (*disown)(Handle),
                      void (*free)(Handle)) {
    if (handle == nullptr) {
        return;
    }
    if (shareCount(handle) > 0) {
        disown(handle);
    }
    if (owner) {
        free(handle);
    }
    handle = nullptr;
}

// Row-major strides for a dimension list: the last is 1, each other is the
// next one times the next dimension.
std::vector<mint> rowMajorOffsets(const std::vector<mint>& dims);

}  // namespace TravexUtils
