// DecodedRgbOutput: a video stream decoded as it is read, each frame
// converted to RGB32 when its sample's buffer is asked for. For streams
// whose frames' times or size only the decoder knows (packets without
// presentation times, say).
#pragma once

#include <memory>

#include "platform/linux/rgb_output.h"
#include "platform/linux/stream_decoder.h"

namespace MorvalePlatform {

class DecodedRgbOutput final : public RgbOutput {
public:
    DecodedRgbOutput(RgbOutputState state, std::unique_ptr<StreamDecoder> decoder)
        : RgbOutput(std::move(state)), decoder_(std::move(decoder)) {}

    HRESULT read(StreamTypes& stream, PacketFeed& packets, DWORD& flags,
                 std::optional<SampleParts>& parts) override;
    void flush() override { decoder_->flush(); }
    void restart(bool atStart) override;

private:
    std::unique_ptr<StreamDecoder> decoder_;
};

}  // namespace MorvalePlatform
