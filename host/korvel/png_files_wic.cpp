// PNG files through the Windows Imaging Component, the system's own codec
// set, for the Windows build of korvel (there is no FFmpeg to link there).
// WIC works in blue-green-red order; pixels are reordered to and from the
// packed RGB that korvel's images use.
#include "host/korvel/png_files.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <utility>

namespace korvel {
namespace {

// Owns one COM reference.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() {
        if (pointer_ != nullptr) pointer_->Release();
    }
    T** put() { return &pointer_; }
    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }

private:
    T* pointer_ = nullptr;
};

// COM for the calling thread while a file is read or written. A thread
// already in the other apartment model keeps it and is left alone.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

private:
    HRESULT result_;
};

void check(HRESULT hr, const char* what, const std::string& path) {
    if (SUCCEEDED(hr)) return;
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    throw std::runtime_error(std::string(what) + ": " + path + " (HRESULT " + code + ")");
}

std::wstring widePath(const std::string& path) { return std::filesystem::path(path).wstring(); }

// Packed RGB to packed BGR in place.
void swapRedBlue(uint8_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) std::swap(pixels[3 * i], pixels[3 * i + 2]);
}

void createFactory(Ref<IWICImagingFactory>& factory, const std::string& path) {
    check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(factory.put())),
          "no imaging component for PNG", path);
}

}  // namespace

void writeRgbPng(const std::string& path, const uint8_t* rgb, int width, int height) {
    if (width <= 0 || height <= 0) throw std::runtime_error("cannot encode an empty PNG: " + path);
    const UINT stride = static_cast<UINT>(width) * 3;
    std::vector<uint8_t> bgr(rgb, rgb + static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    swapRedBlue(bgr.data(), static_cast<std::size_t>(width) * static_cast<std::size_t>(height));

    ComScope com;
    Ref<IWICImagingFactory> factory;
    createFactory(factory, path);
    Ref<IWICStream> stream;
    check(factory->CreateStream(stream.put()), "cannot create a stream", path);
    check(stream->InitializeFromFilename(widePath(path).c_str(), GENERIC_WRITE), "cannot write", path);
    Ref<IWICBitmapEncoder> encoder;
    check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put()), "no PNG encoder", path);
    check(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache), "cannot start the PNG encoder", path);
    Ref<IWICBitmapFrameEncode> frame;
    check(encoder->CreateNewFrame(frame.put(), nullptr), "cannot add a PNG frame", path);
    check(frame->Initialize(nullptr), "cannot start the PNG frame", path);
    check(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)), "cannot size the PNG frame", path);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    check(frame->SetPixelFormat(&format), "cannot set the PNG pixel format", path);
    if (format != GUID_WICPixelFormat24bppBGR) {
        throw std::runtime_error("the PNG encoder does not take 24-bit pixels: " + path);
    }
    check(frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(bgr.size()), bgr.data()),
          "cannot encode PNG", path);
    check(frame->Commit(), "cannot encode PNG", path);
    check(encoder->Commit(), "cannot write", path);
}

RgbPicture readRgbPicture(const std::string& path) {
    ComScope com;
    Ref<IWICImagingFactory> factory;
    createFactory(factory, path);
    Ref<IWICBitmapDecoder> decoder;
    check(factory->CreateDecoderFromFilename(widePath(path).c_str(), nullptr, GENERIC_READ,
                                             WICDecodeMetadataCacheOnDemand, decoder.put()),
          "cannot open picture", path);
    Ref<IWICBitmapFrameDecode> frame;
    check(decoder->GetFrame(0, frame.put()), "no picture in", path);
    // 32-bit BGRA is the one target every WIC converter offers from every
    // source format (gray, palette, 16-bit, with or without alpha); the
    // alpha channel is dropped.
    Ref<IWICBitmapSource> converted;
    check(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.get(), converted.put()),
          "cannot convert picture", path);
    UINT width = 0;
    UINT height = 0;
    check(converted->GetSize(&width, &height), "cannot read picture", path);
    const std::size_t count = static_cast<std::size_t>(width) * height;
    std::vector<uint8_t> bgra(count * 4);
    check(converted->CopyPixels(nullptr, width * 4, static_cast<UINT>(bgra.size()), bgra.data()),
          "cannot decode picture", path);

    RgbPicture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.pixels.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        picture.pixels[3 * i] = bgra[4 * i + 2];
        picture.pixels[3 * i + 1] = bgra[4 * i + 1];
        picture.pixels[3 * i + 2] = bgra[4 * i];
    }
    return picture;
}

}  // namespace korvel
