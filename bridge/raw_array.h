// Wrapper of a host raw array of signed 16-bit samples (RawArray<short>).
#pragma once

#include <type_traits>
#include <utility>
#include <vector>

#include "bridge/error_manager.h"
#include "bridge/marray.h"

namespace TravexUtils {

template <typename T>
class RawArray : public MArray<T> {
    static_assert(std::is_same_v<T, short>, "the host exchanges raw arrays of signed 16-bit samples only");
    using Base = MArray<T>;

public:
    // A new raw array with the given dimensions; the wrapper owns it.
    explicit RawArray(std::vector<mint> dims) : Base(std::move(dims)) {
        create();
        this->owner_ = true;
    }

    // Wraps a raw array the host passed as an argument; never the owner.
    explicit RawArray(MRawArray argument) {
        KorvelRawArrayFunctions fns = LibDataHolder::rawArrayFunctions();
        if (fns == nullptr) {
            ErrorManager::throwException("RawArrayInitError");
        }
        if (fns->MRawArray_getType(argument) != MRawArray_Type_Bit16) {
            ErrorManager::throwException("RawArrayTypeError");
        }
        array_ = argument;
        const mint rank = fns->MRawArray_getRank(argument);
        const mint* dims = fns->MRawArray_getDimensions(argument);
        this->setShape(std::vector<mint>(dims, dims + rank), fns->MRawArray_getFlattenedLength(argument));
    }

    RawArray(RawArray&& other) noexcept : Base(std::move(other)), array_(std::exchange(other.array_, nullptr)) {}
    RawArray& operator=(RawArray&&) = delete;

    ~RawArray() override { releaseInternal(); }

    MRawArray handle() const noexcept { return array_; }
    T* data() const override { return static_cast<T*>(LibDataHolder::rawArrayFunctions()->MRawArray_getData(array_)); }
    void passAsResult(MArgument result) const override { *result.rawarray = array_; }

protected:
    [[noreturn]] void indexError() const override { ErrorManager::throwException("RawArrayIndexError"); }
    [[noreturn]] void initError() const override { ErrorManager::throwException("RawArrayInitError"); }
    [[noreturn]] void sizeError() const override { ErrorManager::throwException("RawArraySizeError"); }
    void createInternal() override { create(); }

    void releaseInternal() override {
        KorvelRawArrayFunctions fns = LibDataHolder::rawArrayFunctions();
        releaseHostArray(array_, this->isOwner(), fns->MRawArray_shareCount, fns->MRawArray_disown,
                         fns->MRawArray_free);
    }

private:
    void create() {
        MRawArray created = nullptr;
        if (LibDataHolder::rawArrayFunctions()->MRawArray_new(MRawArray_Type_Bit16, this->rank(),
                                                               this->dimensions().data(), &created) != 0) {
            ErrorManager::throwException("RawArrayNewError");
        }
        array_ = created;
    }

    MRawArray array_ = nullptr;
};

}  // namespace TravexUtils
