// Bgr24Converter; see ds_bgr24_converter.h.
#include "platform/linux/ds_bgr24_converter.h"

#include <cstring>
#include <optional>

#include "platform/linux/ds_media_types.h"
#include "platform/linux/test_hooks.h"
#include "platform/linux/yuv_to_bgra.h"

namespace MorvalePlatform {

std::size_t Bgr24Converter::bytes() const noexcept {
    return static_cast<std::size_t>(bgr24Stride(layout_.width)) * static_cast<std::size_t>(layout_.height);
}

HRESULT Bgr24Converter::convert(const AVFrame& frame, BYTE* destination) {
    const std::optional<YuvToBgraPlan> plan = frame.width == layout_.width && frame.height == layout_.height
                                                  ? planYuvToBgra(frame)
                                                  : std::nullopt;
    if (plan) {
        // Straight into the bitmap, the top row last.
        const std::ptrdiff_t stride = bgr24Stride(layout_.width);
        const std::size_t rowBytes = static_cast<std::size_t>(layout_.width) * 3;
        convertYuvToBgr24(frame, *plan, destination + (layout_.height - 1) * stride, -stride);
        if (rowBytes != static_cast<std::size_t>(stride)) {
            for (int row = 0; row < layout_.height; ++row) {
                std::memset(destination + row * stride + rowBytes, 0, static_cast<std::size_t>(stride) - rowBytes);
            }
        }
        Hooks::frameConverted();
        return S_OK;
    }
    Hooks::InternalCalls internal;
    ComPtr<IMFMediaBuffer> bgra;
    if (HRESULT hr = rgb_.convert(frame, layout_, bgra); FAILED(hr)) return hr;
    BYTE* pixels = nullptr;
    DWORD length = 0;
    if (HRESULT hr = bgra->Lock(&pixels, nullptr, &length); FAILED(hr)) return hr;
    const std::size_t width = static_cast<std::size_t>(layout_.width);
    const std::size_t height = static_cast<std::size_t>(layout_.height);
    const std::size_t stride = static_cast<std::size_t>(bgr24Stride(layout_.width));
    for (std::size_t row = 0; row < height; ++row) {
        const BYTE* source = pixels + row * width * 4;
        BYTE* target = destination + (height - 1 - row) * stride;
        for (std::size_t x = 0; x < width; ++x) {
            std::memcpy(target + x * 3, source + x * 4, 3);
        }
        std::memset(target + width * 3, 0, stride - width * 3);
    }
    bgra->Unlock();
    return S_OK;
}

}  // namespace MorvalePlatform
