// OpenedFile: the media file behind a source filter, shared by the source
// filter's pins, the AVI splitter's pins and the streaming thread. The facts
// pins report (media types, durations) are taken once when the file is
// opened, so the host thread reads them while the streaming thread demuxes.
// The packets are read only by the streaming thread of a run; a seek the
// host asks for is left here for that thread (or the next run) to make.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/ds_media_types.h"
#include "platform/linux/packet_source.h"

namespace MorvalePlatform {

class OpenedFile {
public:
    struct StreamFacts {
        int index = -1;  // FFmpeg's stream index
        bool video = false;
        bool decodable = false;  // FFmpeg has a decoder for it
        MediaTypeValue type;
        LONGLONG duration = 0;  // 100 ns
    };

    // Opens the file as the Media Foundation side does (same safety rules),
    // with DirectShow's results: a missing file or folder VFW_E_NOT_FOUND, no
    // access E_ACCESSDENIED, anything that is not a readable media file
    // VFW_E_UNKNOWN_FILE_TYPE.
    static HRESULT open(const std::wstring& path, std::shared_ptr<OpenedFile>& file);

    // The file is an AVI file: its source filter shows it as one byte stream
    // for the AVI splitter.
    bool isAvi() const noexcept { return avi_; }
    // The audio and video streams in file order.
    const std::vector<StreamFacts>& streams() const noexcept { return streams_; }
    const StreamFacts* stream(int index) const noexcept;
    // The presentation duration of the file, 100 ns (0 when unknown).
    LONGLONG duration() const noexcept { return duration_; }

    // Asks the streaming thread to go back to the start before its next packet.
    void requestRewind() noexcept { rewindPending_.store(true, std::memory_order_release); }
    bool takeRewindRequest() noexcept { return rewindPending_.exchange(false, std::memory_order_acq_rel); }

    // For the streaming thread only.
    PacketSource& packets() noexcept { return packets_; }

private:
    explicit OpenedFile(FormatContextPtr format);

    PacketSource packets_;
    std::vector<StreamFacts> streams_;
    LONGLONG duration_ = 0;
    bool avi_ = false;
    std::atomic<bool> rewindPending_{false};
};

}  // namespace MorvalePlatform
