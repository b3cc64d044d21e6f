// RgbOutput; see rgb_output.h.
#include "platform/linux/rgb_output.h"

#include <cstring>

#include "platform/linux/native_media_types.h"
#include "platform/linux/time_bases.h"

namespace MorvalePlatform {

namespace {

// The minimum display aperture of a padded picture: offset 0,0 and the
// picture's size (an MFVideoArea: two MFOffsets, then a SIZE).
void setDisplayAperture(AttributeStore& attributes, int width, int height) {
    UINT8 area[16] = {};
    const int32_t size[2] = {width, height};
    std::memcpy(area + 8, size, sizeof(size));
    attributes.setBlob(MF_MT_MINIMUM_DISPLAY_APERTURE, area, sizeof(area));
}

// One frame period in 100 ns; 0 when the stream has no frame rate.
LONGLONG framePeriod(const AVStream& stream) {
    const AVRational rate = streamFrameRate(stream);
    if (rate.num <= 0 || rate.den <= 0) return 0;
    return av_rescale(10000000, rate.den, rate.num);
}

}  // namespace

void RgbOutput::setRequest(StreamTypes& stream, const GUID& subtype, int width, int height) {
    state_.subtype = subtype;
    state_.requestedWidth = width;
    state_.requestedHeight = height;
    setCurrentType(stream, layoutFor(stream.av->codecpar->width, stream.av->codecpar->height));
}

void RgbOutput::restart(bool) { state_.frameIndex = 0; }

RgbLayout RgbOutput::layoutFor(int frameWidth, int frameHeight) const {
    RgbLayout layout;
    layout.width = state_.requestedWidth > 0 ? state_.requestedWidth : frameWidth;
    layout.height = state_.requestedHeight > 0 ? state_.requestedHeight : frameHeight;
    const TestControl::Quirks& quirks = state_.quirks;
    if (quirks.sizeChangeFrame >= 0 && state_.frameIndex >= quirks.sizeChangeFrame) {
        layout.width = static_cast<int>(quirks.sizeChangeWidth);
        layout.height = static_cast<int>(quirks.sizeChangeHeight);
    }
    layout.bufferHeight = quirks.padHeightToMacroblock ? (layout.height + 15) / 16 * 16 : layout.height;
    return layout;
}

void RgbOutput::setCurrentType(StreamTypes& stream, const RgbLayout& layout) {
    ComPtr<MediaType> type = MediaType::create();
    AttributeStore& attributes = type->attributes();
    attributes.setGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    attributes.setGUID(MF_MT_SUBTYPE, state_.subtype);
    attributes.setUINT64(MF_MT_FRAME_SIZE, Pack2UINT32AsUINT64(static_cast<UINT32>(layout.width),
                                                                static_cast<UINT32>(layout.bufferHeight)));
    for (const GUID* key : {&MF_MT_FRAME_RATE, &MF_MT_PIXEL_ASPECT_RATIO}) {
        UINT64 value = 0;
        if (SUCCEEDED(stream.native->attributes().getUINT64(*key, &value))) attributes.setUINT64(*key, value);
    }
    attributes.setUINT32(MF_MT_DEFAULT_STRIDE, static_cast<UINT32>(layout.width * 4));
    attributes.setUINT32(MF_MT_INTERLACE_MODE, MFVideoInterlace_Progressive);
    attributes.setUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, 1);
    attributes.setUINT32(MF_MT_FIXED_SIZE_SAMPLES, 1);
    attributes.setUINT32(MF_MT_SAMPLE_SIZE, layout.bytes());
    if (layout.bufferHeight != layout.height) setDisplayAperture(attributes, layout.width, layout.height);
    stream.current = std::move(type);
    state_.layout = layout;
}

RgbLayout RgbOutput::frameLayout(StreamTypes& stream, int frameWidth, int frameHeight, DWORD& flags) {
    const RgbLayout layout = layoutFor(frameWidth, frameHeight);
    if (!(layout == state_.layout)) {
        setCurrentType(stream, layout);
        flags |= MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED;
    }
    return layout;
}

SampleParts RgbOutput::frameParts(const StreamTypes& stream, std::optional<int64_t> time, int64_t duration,
                                  bool keyframe) {
    SampleParts parts;
    if (time && state_.quirks.untimedFrame != state_.frameIndex) {
        parts.time = av_rescale_q(*time, stream.av->time_base, kHundredNanoseconds);
    }
    const LONGLONG period =
        duration > 0 ? av_rescale_q(duration, stream.av->time_base, kHundredNanoseconds) : framePeriod(*stream.av);
    if (period > 0) parts.duration = period;
    parts.cleanPoint = keyframe;
    ++state_.frameIndex;
    return parts;
}

}  // namespace MorvalePlatform
