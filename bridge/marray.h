// A host array wrapper with typed element access.
#pragma once

#include "bridge/marray_base.h"

namespace TravexUtils {

template <typename T>
class MArray : public MArrayBase {
public:
    using value_type = T;

    // Pointer to the flattened elements, row-major (channels innermost for
    // interleaved images). Valid while the host array lives.
    virtual T* data() const = 0;

    // Bounds-checked element access by flattened index.
    T& at(mint index) const {
        if (index < 0 || index >= flattenedLength()) {
            indexError();
        }
        return data()[index];
    }

protected:
    using MArrayBase::MArrayBase;
};

}  // namespace TravexUtils
