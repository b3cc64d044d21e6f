// Owning handles for FFmpeg objects: each unique_ptr's deleter calls the
// matching av*_free function, so every path out of a scope frees them. Only
// FFmpeg's headers are needed, so korvel (host/) uses these handles too.
#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace MorvalePlatform {

// Input contexts come from openMediaFile (media_file.h), which hangs the state
// of their I/O guard on the context; closing one frees that too.
struct FormatContextDeleter {
    void operator()(AVFormatContext* context) const;
};
// Input contexts opened directly with avformat_open_input, without that
// guard (korvel reading back a picture it wrote).
struct PlainInputDeleter {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct BufferRefDeleter {
    void operator()(AVBufferRef* buffer) const { av_buffer_unref(&buffer); }
};
struct BufferPoolDeleter {
    void operator()(AVBufferPool* pool) const { av_buffer_pool_uninit(&pool); }
};
struct SwsContextDeleter {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct SwrContextDeleter {
    void operator()(SwrContext* context) const { swr_free(&context); }
};

using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextDeleter>;
using PlainInputPtr = std::unique_ptr<AVFormatContext, PlainInputDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using BufferRefPtr = std::unique_ptr<AVBufferRef, BufferRefDeleter>;
using BufferPoolPtr = std::unique_ptr<AVBufferPool, BufferPoolDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextDeleter>;

}  // namespace MorvalePlatform

namespace MorvalePlatform {

// Output (muxing) contexts: closes the file the context writes, then frees
// the context and its streams.
struct OutputContextDeleter {
    void operator()(AVFormatContext* context) const {
        if (context) avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;

}  // namespace MorvalePlatform
