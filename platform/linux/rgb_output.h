// RgbOutput: what the two RGB32 outputs of a video stream share: the
// requested subtype and size, the layout the current type reports, the
// converter their deferred frames use, and how a frame's sample parts are
// made (times, duration, key-frame flag). LazyRgbOutput and
// DecodedRgbOutput differ in where the frames come from.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/linux/rgb_converter.h"
#include "platform/linux/stream_output.h"
#include "platform/linux/test_control.h"

namespace MorvalePlatform {

// Handed on from one RGB output to the next when a stream changes how it
// decodes.
struct RgbOutputState {
    std::shared_ptr<RgbConverter> converter = std::make_shared<RgbConverter>();
    TestControl::Quirks quirks;
    GUID subtype{};
    int requestedWidth = 0;  // 0: the decoded size
    int requestedHeight = 0;
    RgbLayout layout;        // the layout the current type reports
    int64_t frameIndex = 0;  // frames delivered since the start or the last seek
};

class RgbOutput : public StreamOutput {
public:
    // A new request (SetCurrentMediaType): subtype RGB32 or ARGB32, a size
    // to scale to (0 x 0: the stream's own); the current type follows.
    void setRequest(StreamTypes& stream, const GUID& subtype, int width, int height);
    void restart(bool atStart) override;

protected:
    explicit RgbOutput(RgbOutputState state) : state_(std::move(state)) {}

    // The layout of a frame of that size; a change of layout changes the
    // current type and adds MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED.
    RgbLayout frameLayout(StreamTypes& stream, int frameWidth, int frameHeight, DWORD& flags);
    // The parts of the next frame's sample from its packet's facts (stream
    // time base; a duration of 0 is none, then one frame period); the
    // caller adds the deferred frame.
    SampleParts frameParts(const StreamTypes& stream, std::optional<int64_t> time, int64_t duration, bool keyframe);

    RgbOutputState state_;

private:
    RgbLayout layoutFor(int frameWidth, int frameHeight) const;
    void setCurrentType(StreamTypes& stream, const RgbLayout& layout);
};

}  // namespace MorvalePlatform
