// PacketOutput: a stream's compressed packets as they are demuxed, one
// sample each (its native type is current).
#pragma once

#include "platform/linux/stream_output.h"

namespace MorvalePlatform {

class PacketOutput final : public StreamOutput {
public:
    HRESULT read(StreamTypes& stream, PacketFeed& packets, DWORD& flags,
                 std::optional<SampleParts>& parts) override;
    void restart(bool) override {}
};

}  // namespace MorvalePlatform
