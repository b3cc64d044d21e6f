#include "bridge/lib_data_holder.h"

#include <cstring>

namespace TravexUtils {

std::unique_ptr<st_KorvelLibraryData> LibDataHolder::libData_;
KorvelImageFunctions LibDataHolder::imageFunctions_ = nullptr;
KorvelRawArrayFunctions LibDataHolder::rawArrayFunctions_ = nullptr;
void* LibDataHolder::ioFunctions_ = nullptr;

void LibDataHolder::setLibraryData(KorvelLibraryData libData) {
    if (libData == nullptr) {
        libData_.reset();
        imageFunctions_ = nullptr;
        rawArrayFunctions_ = nullptr;
        ioFunctions_ = nullptr;
        return;
    }
    auto copy = std::make_unique<st_KorvelLibraryData>();
    std::memcpy(copy.get(), libData, sizeof(st_KorvelLibraryData));
    libData_ = std::move(copy);
    rawArrayFunctions_ = libData_->rawarrayLibraryFunctions;
    imageFunctions_ = libData_->imageLibraryFunctions;
    ioFunctions_ = libData_->ioLibraryFunctions;
}

}  // namespace TravexUtils
