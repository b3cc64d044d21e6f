// RgbConverter: turns decoded video frames into RGB32 buffers (bytes blue,
// green, red, 255 per pixel; top row first; stride width x 4). One per video
// stream, shared with the samples still waiting to be converted, so a sample
// may outlive its reader; thread-safe. 8-bit planar Y'CbCr frames at their
// own size convert straight into the output buffer (YuvToBgra); everything
// else (10-bit, RGB and other sources, scaling) goes through the stream's one
// cached SwsContext. Output buffers come from a guarded pool, so reading a
// clip converts into recycled memory and a converter writing past a buffer's
// end stops the process.
#pragma once

#include <memory>
#include <mutex>

#include "platform/com_ptr.h"
#include "platform/linux/ffmpeg_handles.h"
#include "platform/linux/guarded_buffer_pool.h"
#include "platform/linux/lazy_video_decoder.h"
#include "platform/linux/sample.h"

namespace MorvalePlatform {

// Where a frame goes: scaled to width x height, in a buffer of bufferHeight
// rows (bufferHeight >= height; the rows below the picture are black).
struct RgbLayout {
    int width = 0;
    int height = 0;
    int bufferHeight = 0;

    DWORD bytes() const { return static_cast<DWORD>(width) * 4 * static_cast<DWORD>(bufferHeight); }
    bool operator==(const RgbLayout&) const = default;
};

class RgbConverter {
public:
    HRESULT convert(const AVFrame& frame, const RgbLayout& layout, ComPtr<IMFMediaBuffer>& buffer);

private:
    HRESULT prepareScaler(const AVFrame& frame, const RgbLayout& layout);
    // swscale into the picture rows of destination (stride width x 4).
    HRESULT scale(const AVFrame& frame, const RgbLayout& layout, uint8_t* destination);

    std::mutex mutex_;
    SwsContextPtr scaler_;
    int colorspace_ = -1;
    int range_ = -1;
    GuardedBufferPool pool_;
    GuardedBufferPool scratch_;  // swscale's padded rows, for widths it cannot write exactly
};

// A frame waiting in a sample until its buffer is asked for: decoded
// already, or to be decoded then by the stream's lazy decoder (which the
// sample keeps alive until it has the frame).
class DeferredRgbFrame final : public DeferredBuffer {
public:
    DeferredRgbFrame(std::shared_ptr<RgbConverter> converter, FramePtr frame, RgbLayout layout);
    DeferredRgbFrame(std::shared_ptr<RgbConverter> converter, std::shared_ptr<LazyVideoDecoder> decoder,
                     std::shared_ptr<FrameSlot> slot, RgbLayout layout);
    DWORD length() const override { return layout_.bytes(); }
    HRESULT produce(ComPtr<IMFMediaBuffer>& buffer) override;

private:
    std::shared_ptr<RgbConverter> converter_;
    FramePtr frame_;
    std::shared_ptr<LazyVideoDecoder> decoder_;  // until frame_ is here
    std::shared_ptr<FrameSlot> slot_;
    RgbLayout layout_;
};

}  // namespace MorvalePlatform
