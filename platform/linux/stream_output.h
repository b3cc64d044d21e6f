// StreamOutput: what a source reader's stream delivers, one strategy per
// output mode (compressed packets, lazily decoded RGB, RGB decoded as it is
// read, PCM). The reader owns the stream's demuxing, selection and end of
// stream; an output turns the stream's packets into the parts of the next
// sample, and the reader builds every sample from those parts the same way
// (buildSample). All calls come under the reader's lock.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/linux/ffmpeg_handles.h"
#include "platform/linux/media_type.h"
#include "platform/linux/sample.h"

namespace MorvalePlatform {

// The parts of one stream that outputs read (the stream, its native type)
// and write (the current type, when the output's layout changes).
struct StreamTypes {
    AVStream* av = nullptr;
    GUID major{};
    ComPtr<MediaType> native;
    ComPtr<MediaType> current;
};

// The stream's demuxed packets, in file order.
class PacketFeed {
public:
    // None when the file has no more.
    virtual PacketPtr next() = 0;
    // Puts packets back in front of the next ones, in the order given.
    virtual void giveBack(std::vector<PacketPtr> packets) = 0;

protected:
    ~PacketFeed() = default;
};

// What one sample is made of; times in 100 ns.
struct SampleParts {
    std::optional<LONGLONG> time;
    std::optional<LONGLONG> duration;
    bool cleanPoint = false;
    ComPtr<IMFMediaBuffer> buffer;             // the bytes, or
    std::unique_ptr<DeferredBuffer> deferred;  // what will produce them
};

ComPtr<Sample> buildSample(SampleParts parts);

class StreamOutput {
public:
    virtual ~StreamOutput() = default;

    // The next sample's parts; none (with success) at the end of the
    // stream. May add MF_SOURCE_READERF_* flags.
    virtual HRESULT read(StreamTypes& stream, PacketFeed& packets, DWORD& flags,
                         std::optional<SampleParts>& parts) = 0;
    // An output that has handed the stream over to another gives it here,
    // once, after read; the reader reads from that one from then on.
    virtual std::unique_ptr<StreamOutput> takeSuccessor() { return nullptr; }
    // The samples not delivered yet never will be (the reader's Flush).
    virtual void flush() {}
    // A seek: first everything that can fail, before anything changes; then
    // the start of the new run (atStart: the seek landed on the file's
    // start).
    virtual HRESULT prepareRestart() { return S_OK; }
    virtual void restart(bool atStart) = 0;
};

}  // namespace MorvalePlatform
