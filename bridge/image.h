// Wrapper of a host image of 8-bit pixels (Image<unsigned char>): 2D (rows,
// columns) or 3D (slices, rows, columns), with the channel dimension last for
// interleaved images and first otherwise.
#pragma once

#include <type_traits>
#include <utility>
#include <vector>

#include "bridge/error_manager.h"
#include "bridge/marray.h"

namespace TravexUtils {

template <typename T>
class Image : public MArray<T> {
    static_assert(std::is_same_v<T, unsigned char>, "the library exchanges 8-bit images only");
    using Base = MArray<T>;

public:
    // A new image the wrapper owns: 2D when slices < 1, else 3D with that
    // many slices.
    Image(mint slices, mint width, mint height, mint channels, mint colorSpace, bool interleaved) {
        KorvelImageFunctions fns = LibDataHolder::imageFunctions();
        if (fns == nullptr) {
            ErrorManager::throwException("ImageInitError");
        }
        MImage created = nullptr;
        const int status =
            slices < 1 ? fns->MImage_new2D(width, height, channels, MImage_Type_Bit8, colorSpace, interleaved, &created)
                       : fns->MImage_new3D(slices, width, height, channels, MImage_Type_Bit8, colorSpace,
                                           interleaved, &created);
        if (status != 0) {
            ErrorManager::throwException("ImageNewError");
        }
        image_ = created;
        this->owner_ = true;
        try {
            readShape();
        } catch (...) {
            releaseInternal();  // a constructor that throws leaves no owned image behind
            throw;
        }
    }

    // Wraps an image the host passed as an argument; never the owner.
    explicit Image(MImage argument) {
        KorvelImageFunctions fns = LibDataHolder::imageFunctions();
        if (fns == nullptr) {
            ErrorManager::throwException("ImageInitError");
        }
        if (fns->MImage_getDataType(argument) != MImage_Type_Bit8) {
            ErrorManager::throwException("ImageTypeError");
        }
        image_ = argument;
        readShape();
    }

    Image(Image&& other) noexcept
        : Base(std::move(other)), image_(std::exchange(other.image_, nullptr)), is3D_(other.is3D_) {}
    Image& operator=(Image&&) = delete;

    // Only an owning wrapper touches the host image on destruction.
    ~Image() override {
        if (this->isOwner() && image_ != nullptr) {
            releaseInternal();
        }
    }

    MImage handle() const noexcept { return image_; }
    bool is3D() const noexcept { return is3D_; }
    T* data() const override { return static_cast<T*>(LibDataHolder::imageFunctions()->MImage_getRawData(image_)); }
    void passAsResult(MArgument result) const override { *result.image = image_; }

protected:
    [[noreturn]] void indexError() const override { ErrorManager::throwException("ImageIndexError"); }
    [[noreturn]] void initError() const override { ErrorManager::throwException("ImageInitError"); }
    [[noreturn]] void sizeError() const override { ErrorManager::throwException("ImageSizeError"); }
    // Images are created only by their own constructor.
    void createInternal() override { ErrorManager::throwException("ImageNewError"); }

    void releaseInternal() override {
        KorvelImageFunctions fns = LibDataHolder::imageFunctions();
        releaseHostArray(image_, this->isOwner(), fns->MImage_shareCount, fns->MImage_disown, fns->MImage_free);
    }

private:
    void readShape() {
        KorvelImageFunctions fns = LibDataHolder::imageFunctions();
        const mint imageRank = fns->MImage_getRank(image_);
        is3D_ = imageRank == 3;
        const mint channels = fns->MImage_getChannels(image_);
        const mint rank = imageRank + (channels != 1 ? 1 : 0);
        std::vector<mint> dims;
        if (is3D_) {
            dims.push_back(fns->MImage_getSliceCount(image_));
        }
        dims.push_back(fns->MImage_getRowCount(image_));
        dims.push_back(fns->MImage_getColumnCount(image_));
        if (channels > 1) {
            if (fns->MImage_interleavedQ(image_)) {
                dims.push_back(channels);
            } else {
                dims.insert(dims.begin(), channels);
            }
        }
        if (static_cast<mint>(dims.size()) != rank) {
            sizeError();
        }
        this->setShape(std::move(dims), fns->MImage_getFlattenedLength(image_));
    }

    MImage image_ = nullptr;
    bool is3D_ = false;
};

}  // namespace TravexUtils
