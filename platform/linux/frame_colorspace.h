// A decoded frame's colour matrix as the number the stream stated. Decoders
// copy a bitstream's matrix coefficients into AVFrame::colorspace unchecked,
// so a damaged or hostile file puts any byte there, and loading a value that
// is none of AVColorSpace's enumerators as the enum is undefined behaviour.
// The storage is read as its integer instead; sws_getCoefficients takes an
// int and falls back to BT.601 for numbers it does not know.
#pragma once

#include <cstring>
#include <type_traits>

#include "platform/linux/ffmpeg_handles.h"

namespace MorvalePlatform {

inline int frameColorspace(const AVFrame& frame) noexcept {
    std::underlying_type_t<AVColorSpace> value;
    static_assert(sizeof value == sizeof frame.colorspace);
    std::memcpy(&value, &frame.colorspace, sizeof value);
    return static_cast<int>(value);
}

}  // namespace MorvalePlatform
