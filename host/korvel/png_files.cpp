#include "host/korvel/png_files.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/linux/ffmpeg_handles.h"

namespace korvel {
namespace {

using MorvalePlatform::CodecContextPtr;
using MorvalePlatform::FramePtr;
using MorvalePlatform::PacketPtr;
using MorvalePlatform::PlainInputPtr;
using MorvalePlatform::SwsContextPtr;

struct FileClose {
    void operator()(FILE* f) const { std::fclose(f); }
};

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + ": " + path);
}

}  // namespace

void writeRgbPng(const std::string& path, const uint8_t* rgb, int width, int height) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (codec == nullptr) fail("no PNG encoder", path);
    CodecContextPtr context(avcodec_alloc_context3(codec));
    context->width = width;
    context->height = height;
    context->pix_fmt = AV_PIX_FMT_RGB24;
    context->time_base = AVRational{1, 1};
    context->compression_level = 1;  // favour speed: korvel writes many frames
    if (avcodec_open2(context.get(), codec, nullptr) < 0) fail("cannot open the PNG encoder", path);

    FramePtr frame(av_frame_alloc());
    frame->width = width;
    frame->height = height;
    frame->format = AV_PIX_FMT_RGB24;
    frame->data[0] = const_cast<uint8_t*>(rgb);
    frame->linesize[0] = width * 3;

    PacketPtr packet(av_packet_alloc());
    if (avcodec_send_frame(context.get(), frame.get()) < 0 || avcodec_send_frame(context.get(), nullptr) < 0) {
        fail("cannot encode PNG", path);
    }
    std::unique_ptr<FILE, FileClose> out(std::fopen(path.c_str(), "wb"));
    if (!out) fail("cannot write", path);
    while (avcodec_receive_packet(context.get(), packet.get()) == 0) {
        const bool written = std::fwrite(packet->data, 1, static_cast<std::size_t>(packet->size), out.get()) ==
                             static_cast<std::size_t>(packet->size);
        av_packet_unref(packet.get());
        if (!written) fail("cannot write", path);
    }
}

RgbPicture readRgbPicture(const std::string& path) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) fail("cannot open picture", path);
    PlainInputPtr format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0) fail("cannot read picture", path);
    const int stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0) fail("no picture in", path);
    const AVCodecParameters* parameters = format->streams[stream]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (codec == nullptr) fail("no decoder for", path);
    CodecContextPtr context(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(context.get(), parameters);
    if (avcodec_open2(context.get(), codec, nullptr) < 0) fail("cannot open decoder for", path);

    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    bool decoded = false;
    while (!decoded && av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream) avcodec_send_packet(context.get(), packet.get());
        av_packet_unref(packet.get());
        decoded = avcodec_receive_frame(context.get(), frame.get()) == 0;
    }
    if (!decoded) {
        avcodec_send_packet(context.get(), nullptr);
        decoded = avcodec_receive_frame(context.get(), frame.get()) == 0;
    }
    if (!decoded) fail("cannot decode picture", path);

    RgbPicture picture;
    picture.width = frame->width;
    picture.height = frame->height;
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    SwsContextPtr scaler(sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                        frame->width, frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr,
                                        nullptr));
    if (!scaler) fail("cannot convert picture", path);
    uint8_t* planes[4] = {picture.pixels.data(), nullptr, nullptr, nullptr};
    int strides[4] = {picture.width * 3, 0, 0, 0};
    sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
    return picture;
}

}  // namespace korvel
