#include "host/korvel/wav_files.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/linux/ffmpeg_handles.h"

namespace korvel {
namespace {

using MorvalePlatform::OutputContextPtr;
using MorvalePlatform::PacketPtr;

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + ": " + path);
}

constexpr int64_t kFramesPerPacket = 4096;

}  // namespace

void writeWav(const std::string& path, const int16_t* planar, int channels, int64_t frames, int sampleRate) {
    if (channels < 1 || sampleRate < 1) fail("no audio to write", path);
    AVFormatContext* allocated = nullptr;
    if (avformat_alloc_output_context2(&allocated, nullptr, "wav", nullptr) < 0 || !allocated) {
        fail("no WAV muxer", path);
    }
    OutputContextPtr container(allocated);
    AVStream* stream = avformat_new_stream(container.get(), nullptr);
    if (!stream) fail("cannot add the WAV stream", path);
    AVCodecParameters& codec = *stream->codecpar;
    codec.codec_type = AVMEDIA_TYPE_AUDIO;
    codec.codec_id = AV_CODEC_ID_PCM_S16LE;
    codec.format = AV_SAMPLE_FMT_S16;
    codec.sample_rate = sampleRate;
    codec.bits_per_coded_sample = 16;
    codec.block_align = channels * 2;
    av_channel_layout_default(&codec.ch_layout, channels);
    stream->time_base = AVRational{1, sampleRate};
    if (avio_open(&container->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) fail("cannot write", path);
    if (avformat_write_header(container.get(), nullptr) < 0) fail("cannot write the WAV header", path);

    PacketPtr packet(av_packet_alloc());
    for (int64_t first = 0; first < frames; first += kFramesPerPacket) {
        const int64_t count = std::min(kFramesPerPacket, frames - first);
        if (av_new_packet(packet.get(), static_cast<int>(count * channels * 2)) < 0) fail("out of memory", path);
        auto* out = reinterpret_cast<int16_t*>(packet->data);
        for (int64_t f = 0; f < count; ++f) {
            for (int c = 0; c < channels; ++c) out[f * channels + c] = planar[c * frames + first + f];
        }
        packet->pts = packet->dts = first;
        packet->duration = count;
        packet->stream_index = stream->index;
        av_packet_rescale_ts(packet.get(), AVRational{1, sampleRate}, stream->time_base);
        const int written = av_write_frame(container.get(), packet.get());
        av_packet_unref(packet.get());
        if (written < 0) fail("cannot write", path);
    }
    if (av_write_trailer(container.get()) < 0) fail("cannot finish", path);
}

}  // namespace korvel
