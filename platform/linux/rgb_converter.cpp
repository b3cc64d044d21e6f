// RgbConverter and DeferredRgbFrame; see rgb_converter.h.
#include "platform/linux/rgb_converter.h"

#include <cstring>

#include "platform/linux/memory_buffer.h"
#include "platform/linux/test_hooks.h"

namespace MorvalePlatform {

HRESULT RgbConverter::prepareScaler(const AVFrame& frame, const RgbLayout& layout) {
    SwsContext* scaler = sws_getCachedContext(scaler_.release(), frame.width, frame.height,
                                              static_cast<AVPixelFormat>(frame.format), layout.width, layout.height,
                                              AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (scaler != scaler_.get()) {
        scaler_.reset(scaler);
        colorspace_ = -1;
    }
    if (!scaler_) return E_OUTOFMEMORY;
    // Tagged sources convert with their own matrix and range; untagged ones
    // keep swscale's defaults (BT.601, range from the pixel format).
    if (frame.colorspace != colorspace_ || frame.color_range != range_) {
        colorspace_ = frame.colorspace;
        range_ = frame.color_range;
        int* inverseTable = nullptr;
        int* table = nullptr;
        int sourceRange = 0;
        int destinationRange = 0;
        int brightness = 0;
        int contrast = 0;
        int saturation = 0;
        if (sws_getColorspaceDetails(scaler_.get(), &inverseTable, &sourceRange, &table, &destinationRange,
                                     &brightness, &contrast, &saturation) >= 0) {
            if (frame.colorspace != AVCOL_SPC_UNSPECIFIED) inverseTable = const_cast<int*>(sws_getCoefficients(frame.colorspace));
            if (frame.color_range == AVCOL_RANGE_JPEG) sourceRange = 1;
            if (frame.color_range == AVCOL_RANGE_MPEG) sourceRange = 0;
            sws_setColorspaceDetails(scaler_.get(), inverseTable, sourceRange, table, destinationRange, brightness,
                                     contrast, saturation);
        }
    }
    return S_OK;
}

HRESULT RgbConverter::convert(const AVFrame& frame, const RgbLayout& layout, ComPtr<IMFMediaBuffer>& buffer) {
    std::lock_guard lock(mutex_);
    if (HRESULT hr = prepareScaler(frame, layout); FAILED(hr)) return hr;
    const DWORD size = layout.bytes();
    if (!pool_ || poolBufferSize_ != size) {
        pool_.reset(av_buffer_pool_init(size, nullptr));
        poolBufferSize_ = size;
        if (!pool_) return E_OUTOFMEMORY;
    }
    BufferRefPtr memory(av_buffer_pool_get(pool_.get()));
    if (!memory) return E_OUTOFMEMORY;
    uint8_t* const destination[4] = {memory->data, nullptr, nullptr, nullptr};
    const int stride[4] = {layout.width * 4, 0, 0, 0};
    sws_scale(scaler_.get(), frame.data, frame.linesize, 0, frame.height, destination, stride);
    const size_t pictureBytes = static_cast<size_t>(layout.width) * 4 * static_cast<size_t>(layout.height);
    std::memset(memory->data + pictureBytes, 0, size - pictureBytes);
    Hooks::frameConverted();
    buffer = ComPtr<IMFMediaBuffer>::attach(MemoryBuffer::wrap(std::move(memory), size).detach());
    return S_OK;
}

DeferredRgbFrame::DeferredRgbFrame(std::shared_ptr<RgbConverter> converter, FramePtr frame, RgbLayout layout)
    : converter_(std::move(converter)), frame_(std::move(frame)), layout_(layout) {}

DeferredRgbFrame::DeferredRgbFrame(std::shared_ptr<RgbConverter> converter, std::shared_ptr<LazyVideoDecoder> decoder,
                                   std::shared_ptr<FrameSlot> slot, RgbLayout layout)
    : converter_(std::move(converter)), decoder_(std::move(decoder)), slot_(std::move(slot)), layout_(layout) {}

HRESULT DeferredRgbFrame::produce(ComPtr<IMFMediaBuffer>& buffer) {
    if (!frame_) {
        if (!decoder_ || !slot_) return E_UNEXPECTED;
        if (HRESULT hr = decoder_->takeFrame(*slot_, frame_); FAILED(hr)) return hr;
        decoder_.reset();
        slot_.reset();
    }
    HRESULT hr = converter_->convert(*frame_, layout_, buffer);
    if (SUCCEEDED(hr)) frame_.reset();
    return hr;
}

}  // namespace MorvalePlatform
