// The video stream of a sink writer; see video_sink_stream.h.
#include "platform/linux/video_sink_stream.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/linux/frame_size_limits.h"
#include "platform/linux/time_bases.h"

namespace MorvalePlatform {

namespace {

constexpr AVRational kFineTimeBase{1, 90000};
// MPEG-4 part 2 stores its time base's denominator in 16 bits.
constexpr int kMpeg4LargestDenominator = 65535;

// One frame period as a time base: exact where it fits, else the nearest
// one with a denominator up to `largestDenominator`.
AVRational framePeriod(AVRational rate, int largestDenominator) {
    AVRational period{};
    av_reduce(&period.num, &period.den, rate.den, rate.num, largestDenominator);
    return period;
}

class VideoSinkStream final : public SinkStream {
public:
    VideoSinkStream(AVFormatContext& container, const CodecChoice& choice) : SinkStream(container, choice) {}

private:
    HRESULT readOutputType(IMFMediaType* type) override {
        if (FAILED(MFGetAttributeSize(type, MF_MT_FRAME_SIZE, &width_, &height_)) || width_ == 0 || height_ == 0 ||
            !FrameSizeLimits::accepts(width_, height_)) {
            return MF_E_INVALIDMEDIATYPE;
        }
        if (FAILED(MFGetAttributeRatio(type, MF_MT_FRAME_RATE, &rateNumerator_, &rateDenominator_)) ||
            rateNumerator_ == 0 || rateDenominator_ == 0 || rateNumerator_ > std::numeric_limits<int>::max() ||
            rateDenominator_ > std::numeric_limits<int>::max()) {
            return MF_E_INVALIDMEDIATYPE;
        }
        const UINT32 interlace = MFGetAttributeUINT32(type, MF_MT_INTERLACE_MODE, MFVideoInterlace_Progressive);
        if (interlace != MFVideoInterlace_Progressive && interlace != MFVideoInterlace_Unknown) {
            return MF_E_INVALIDMEDIATYPE;
        }
        bitRate_ = MFGetAttributeUINT32(type, MF_MT_AVG_BITRATE, 0);
        UINT32 aspectNumerator = 1;
        UINT32 aspectDenominator = 1;
        if (SUCCEEDED(MFGetAttributeRatio(type, MF_MT_PIXEL_ASPECT_RATIO, &aspectNumerator, &aspectDenominator)) &&
            aspectNumerator > 0 && aspectDenominator > 0) {
            av_reduce(&aspect_.num, &aspect_.den, aspectNumerator, aspectDenominator, std::numeric_limits<int>::max());
        }
        return S_OK;
    }

    HRESULT readInputType(IMFMediaType* type) override {
        GUID major{};
        GUID subtype{};
        if (FAILED(type->GetGUID(MF_MT_MAJOR_TYPE, &major)) || major != MFMediaType_Video ||
            FAILED(type->GetGUID(MF_MT_SUBTYPE, &subtype)) ||
            (subtype != MFVideoFormat_RGB32 && subtype != MFVideoFormat_ARGB32)) {
            return MF_E_INVALIDMEDIATYPE;
        }
        UINT32 width = 0;
        UINT32 height = 0;
        if (FAILED(MFGetAttributeSize(type, MF_MT_FRAME_SIZE, &width, &height)) || width != width_ ||
            height != height_) {
            return MF_E_INVALIDMEDIATYPE;
        }
        const long rowBytes = static_cast<long>(width_) * 4;
        UINT32 stride = 0;
        // The stride is a signed number stored in a UINT32; without one,
        // RGB rows are bottom first.
        stride_ = SUCCEEDED(type->GetUINT32(MF_MT_DEFAULT_STRIDE, &stride)) ? static_cast<INT32>(stride) : -rowBytes;
        if (std::labs(stride_) < rowBytes) return MF_E_INVALIDMEDIATYPE;
        return S_OK;
    }

    void configureEncoder(AVCodecContext& encoder, const AVCodec& codec) override {
        encoder.width = static_cast<int>(width_);
        encoder.height = static_cast<int>(height_);
        encoder.framerate = AVRational{static_cast<int>(rateNumerator_), static_cast<int>(rateDenominator_)};
        slotted_ = std::strcmp(container_.oformat->name, "avi") == 0;
        const bool mpeg4 = choice_.codec == AV_CODEC_ID_MPEG4;
        const bool constantRate = choice_.frameRateTimeBase || slotted_ || (mpeg4 && rateDenominator_ == 1);
        // FFmpeg's own encoders (MPEG-4 part 2 and the intra-only ones such
        // as MJPEG) take the time base for the frame period in their rate
        // control: at a fine time base they spend a tiny share of the bit
        // rate per frame and the quality sinks over the frames. At a varying
        // rate they count frames at the mean period instead, and their
        // packets get the frames' fine times back.
        const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec.id);
        const bool intraOnly = descriptor && (descriptor->props & AV_CODEC_PROP_INTRA_ONLY) != 0;
        counted_ = !constantRate && (mpeg4 || intraOnly);
        encoder.time_base =
            constantRate || counted_
                ? framePeriod(encoder.framerate, mpeg4 ? kMpeg4LargestDenominator : std::numeric_limits<int>::max())
                : kFineTimeBase;
        if (counted_) packetTimeBase_ = kFineTimeBase;
        if (bitRate_ > 0) encoder.bit_rate = bitRate_;
        encoder.sample_aspect_ratio = aspect_;
        encoder.field_order = AV_FIELD_PROGRESSIVE;
        encoder.pix_fmt = pixelFormatFor(codec);
        if (fullRange(encoder.pix_fmt)) encoder.color_range = AVCOL_RANGE_JPEG;
        // Encoder threads: as many as FFmpeg finds useful for the codec.
        encoder.thread_count = 0;
    }

    // The encoder's preferred layout (its first). FFmpeg names full-range
    // layouts apart (MJPEG's); the encoder is told the range too.
    AVPixelFormat pixelFormatFor(const AVCodec& codec) const {
        if (choice_.rawFormat != AV_PIX_FMT_NONE) return choice_.rawFormat;
        return codec.pix_fmts ? codec.pix_fmts[0] : AV_PIX_FMT_YUV420P;
    }

    static bool fullRange(AVPixelFormat format) {
        return format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P;
    }

    HRESULT prepareConversion(AVCodecContext& encoder) override {
        // The ffmpeg tool's own conversion (its default scaler flags, the
        // BT.601 matrix, limited range unless the layout is a full-range
        // one): the same RGB gives the encoder the same Y'CbCr, byte for
        // byte, and takes swscale's fast paths.
        scaler_.reset(sws_getContext(encoder.width, encoder.height, AV_PIX_FMT_BGR0, encoder.width, encoder.height,
                                     encoder.pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr));
        frame_.reset(av_frame_alloc());
        if (!scaler_ || !frame_) return E_OUTOFMEMORY;
        frame_->format = encoder.pix_fmt;
        frame_->width = encoder.width;
        frame_->height = encoder.height;
        if (av_frame_get_buffer(frame_.get(), 0) < 0) return E_OUTOFMEMORY;
        timeBase_ = counted_ ? kFineTimeBase : encoder.time_base;
        framePeriod_ = std::max<int64_t>(1, av_rescale_q(1, av_inv_q(encoder.framerate), timeBase_));
        return S_OK;
    }

    HRESULT encodeBytes(const BYTE* bytes, DWORD length, LONGLONG time, LONGLONG duration) override {
        const long pitch = std::labs(stride_);
        if (length < static_cast<uint64_t>(pitch) * height_) return E_INVALIDARG;
        // A negative stride walks up from the last row in memory, which is
        // the picture's top row.
        const uint8_t* source[4] = {stride_ < 0 ? bytes + static_cast<size_t>(pitch) * (height_ - 1) : bytes};
        const int sourceStride[4] = {static_cast<int>(stride_)};
        // The encoder may still hold the previous frame: write into a new
        // buffer then.
        if (av_frame_make_writable(frame_.get()) < 0) return E_OUTOFMEMORY;
        sws_scale(scaler_.get(), source, sourceStride, 0, static_cast<int>(height_), frame_->data, frame_->linesize);
        // AVI has one rate: frames follow one period apart whatever their
        // times, so the file keeps every frame and, at the announced (mean)
        // rate, the total duration.
        int64_t pts = slotted_ ? (hasPts_ ? lastPts_ + 1 : 0)
                               : av_rescale_q_rnd(time, kHundredNanoseconds, timeBase_,
                                                  static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
        if (hasPts_ && pts <= lastPts_) pts = lastPts_ + 1;
        lastPts_ = pts;
        hasPts_ = true;
        frame_->pts = counted_ ? framesSent_++ : pts;
        const int64_t ticks =
            duration > 0 && !slotted_ ? av_rescale_q(duration, kHundredNanoseconds, timeBase_) : framePeriod_;
        return sendFrame(frame_.get(), std::max<int64_t>(1, ticks), counted_ ? std::optional<int64_t>(pts) : std::nullopt);
    }

    UINT32 width_ = 0;
    UINT32 height_ = 0;
    UINT32 rateNumerator_ = 0;
    UINT32 rateDenominator_ = 0;
    UINT32 bitRate_ = 0;
    AVRational aspect_{1, 1};
    long stride_ = 0;
    SwsContextPtr scaler_;
    FramePtr frame_;
    AVRational timeBase_{1, 1};  // of the frames' times
    int64_t framesSent_ = 0;
    int64_t framePeriod_ = 1;
    int64_t lastPts_ = 0;
    bool hasPts_ = false;
    bool slotted_ = false;  // AVI: one frame per period
    bool counted_ = false;  // the encoder counts frames; the packets take fine times
};

}  // namespace

std::unique_ptr<SinkStream> makeVideoSinkStream(AVFormatContext& container, const CodecChoice& choice) {
    return std::make_unique<VideoSinkStream>(container, choice);
}

}  // namespace MorvalePlatform
