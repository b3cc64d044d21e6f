// Wrapper of a host tensor of reals (Tensor<double>) or 64-bit integers
// (Tensor<long long>).
#pragma once

#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "bridge/error_manager.h"
#include "bridge/marray.h"

namespace TravexUtils {

template <typename T>
struct TensorElement;

template <>
struct TensorElement<double> {
    static constexpr mint hostType = MType_Real;
    static double* data(KorvelLibraryData lib, MTensor t) { return lib->MTensor_getRealData(t); }
};

template <>
struct TensorElement<long long> {
    static constexpr mint hostType = MType_Integer;
    static long long* data(KorvelLibraryData lib, MTensor t) { return lib->MTensor_getIntegerData(t); }
};

template <typename T>
class Tensor : public MArray<T> {
    using Base = MArray<T>;

public:
    // A new tensor with the given dimensions holding a copy of values; the
    // wrapper owns it.
    Tensor(std::span<const T> values, std::vector<mint> dims) : Base(std::move(dims)) {
        if (static_cast<mint>(values.size()) != this->flattenedLength()) {
            ErrorManager::throwException("TensorNewError", "Length of data range does not match specified dimensions");
        }
        create();
        this->owner_ = true;
        std::copy(values.begin(), values.end(), data());
    }

    // Wraps a tensor the host passed as an argument; never the owner.
    explicit Tensor(MTensor argument) {
        KorvelLibraryData lib = LibDataHolder::getLibraryData();
        if (lib == nullptr) {
            ErrorManager::throwException("TensorInitError");
        }
        if (lib->MTensor_getType(argument) != TensorElement<T>::hostType) {
            ErrorManager::throwException("TensorTypeError");
        }
        tensor_ = argument;
        const mint rank = lib->MTensor_getRank(argument);
        const mint* dims = lib->MTensor_getDimensions(argument);
        this->setShape(std::vector<mint>(dims, dims + rank), lib->MTensor_getFlattenedLength(argument));
    }

    Tensor(Tensor&& other) noexcept : Base(std::move(other)), tensor_(std::exchange(other.tensor_, nullptr)) {}
    Tensor& operator=(Tensor&&) = delete;

    ~Tensor() override { releaseInternal(); }

    MTensor handle() const noexcept { return tensor_; }
    T* data() const override { return TensorElement<T>::data(LibDataHolder::getLibraryData(), tensor_); }
    void passAsResult(MArgument result) const override { *result.tensor = tensor_; }

protected:
    [[noreturn]] void indexError() const override { ErrorManager::throwException("TensorIndexError"); }
    [[noreturn]] void initError() const override { ErrorManager::throwException("TensorInitError"); }
    [[noreturn]] void sizeError() const override { ErrorManager::throwException("TensorSizeError"); }
    void createInternal() override { create(); }

    // Drops the host's share and frees the tensor if this wrapper owns it.
    void releaseInternal() override {
        KorvelLibraryData lib = LibDataHolder::getLibraryData();
        releaseHostArray(tensor_, this->isOwner(), lib->MTensor_shareCount, lib->MTensor_disown, lib->MTensor_free);
    }

private:
    void create() {
        KorvelLibraryData lib = LibDataHolder::getLibraryData();
        MTensor created = nullptr;
        if (lib->MTensor_new(TensorElement<T>::hostType, this->rank(), this->dimensions().data(), &created) != 0) {
            ErrorManager::throwException("TensorNewError");
        }
        tensor_ = created;
    }

    MTensor tensor_ = nullptr;
};

}  // namespace TravexUtils
