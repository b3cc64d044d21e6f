// RgbConverter and DeferredRgbFrame; see rgb_converter.h.
#include "platform/linux/rgb_converter.h"

#include <cstring>
#include <optional>

#include "platform/linux/frame_colorspace.h"
#include "platform/linux/memory_buffer.h"
#include "platform/linux/test_hooks.h"
#include "platform/linux/yuv_to_bgra.h"

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
    const int colorspace = frameColorspace(frame);
    if (colorspace != colorspace_ || frame.color_range != range_) {
        colorspace_ = colorspace;
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
            if (colorspace != AVCOL_SPC_UNSPECIFIED) inverseTable = const_cast<int*>(sws_getCoefficients(colorspace));
            if (frame.color_range == AVCOL_RANGE_JPEG) sourceRange = 1;
            if (frame.color_range == AVCOL_RANGE_MPEG) sourceRange = 0;
            sws_setColorspaceDetails(scaler_.get(), inverseTable, sourceRange, table, destinationRange, brightness,
                                     contrast, saturation);
        }
    }
    return S_OK;
}

HRESULT RgbConverter::scale(const AVFrame& frame, const RgbLayout& layout, uint8_t* destination) {
    if (HRESULT hr = prepareScaler(frame, layout); FAILED(hr)) return hr;
    // swscale's unscaled converters work in blocks of pixels: with a stride
    // of exactly width x 4 they leave the last columns of a row unwritten or
    // write past its end, depending on the width. Rows a multiple of 64
    // bytes long are safe; other widths go through padded rows first.
    const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(layout.width) * 4;
    if (rowBytes % 64 == 0) {
        uint8_t* const planes[4] = {destination, nullptr, nullptr, nullptr};
        const int strides[4] = {static_cast<int>(rowBytes), 0, 0, 0};
        sws_scale(scaler_.get(), frame.data, frame.linesize, 0, frame.height, planes, strides);
        return S_OK;
    }
    const std::ptrdiff_t paddedBytes = (rowBytes + 63) / 64 * 64;
    BufferRefPtr rows = scratch_.get(static_cast<std::size_t>(paddedBytes) * static_cast<std::size_t>(layout.height));
    if (!rows) return E_OUTOFMEMORY;
    uint8_t* const planes[4] = {rows->data, nullptr, nullptr, nullptr};
    const int strides[4] = {static_cast<int>(paddedBytes), 0, 0, 0};
    sws_scale(scaler_.get(), frame.data, frame.linesize, 0, frame.height, planes, strides);
    GuardedBufferPool::checkGuard(*rows, "swscale");
    for (int row = 0; row < layout.height; ++row) {
        std::memcpy(destination + row * rowBytes, rows->data + row * paddedBytes, static_cast<std::size_t>(rowBytes));
    }
    return S_OK;
}

HRESULT RgbConverter::convert(const AVFrame& frame, const RgbLayout& layout, ComPtr<IMFMediaBuffer>& buffer) {
    std::lock_guard lock(mutex_);
    const DWORD size = layout.bytes();
    BufferRefPtr memory = pool_.get(size);
    if (!memory) return E_OUTOFMEMORY;
    const std::optional<YuvToBgraPlan> plan =
        frame.width == layout.width && frame.height == layout.height ? planYuvToBgra(frame) : std::nullopt;
    if (plan) {
        convertYuvToBgra(frame, *plan, memory->data, static_cast<std::ptrdiff_t>(layout.width) * 4);
    } else if (HRESULT hr = scale(frame, layout, memory->data); FAILED(hr)) {
        return hr;
    }
    const size_t pictureBytes = static_cast<size_t>(layout.width) * 4 * static_cast<size_t>(layout.height);
    std::memset(memory->data + pictureBytes, 0, size - pictureBytes);
    GuardedBufferPool::checkGuard(*memory, plan ? "the Y'CbCr converter" : "swscale");
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
