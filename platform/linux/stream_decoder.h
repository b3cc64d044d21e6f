// StreamDecoder: one stream's FFmpeg decoder, driven the canonical way
// (send a packet, receive frames until it asks for more; a null packet
// drains it at the end). Video decoders use frame threading, so a few
// packets are in flight before the first frame comes out. Used by one reader
// under its lock.
#pragma once

#include "platform/linux/ffmpeg_handles.h"
#include "platform/media_foundation.h"

namespace MorvalePlatform {

class StreamDecoder {
public:
    enum class Received { Frame, NeedsPacket, Ended };

    // MF_E_TOPO_CODEC_NOT_FOUND when FFmpeg has no decoder for the stream or
    // cannot open it, as Windows reports a missing decoder.
    static HRESULT open(const AVStream& stream, std::unique_ptr<StreamDecoder>& decoder);

    // A null packet starts draining. Packets the decoder rejects as broken
    // are skipped, as the ffmpeg tool does.
    void send(const AVPacket* packet);
    Received receive(AVFrame& frame);
    // Drops everything in flight (after a seek). Needed before sending more
    // once the decoder has been drained.
    void flush();

    // Packets the decoder may take beyond a frame's own before it gives that
    // frame out: one per extra frame thread, plus its reordering depth.
    int outputDelay() const noexcept;

private:
    explicit StreamDecoder(CodecContextPtr context) noexcept : context_(std::move(context)) {}

    CodecContextPtr context_;
    bool draining_ = false;
};

}  // namespace MorvalePlatform
