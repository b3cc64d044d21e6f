// Keeps a cached reader's platform objects for one call only: whichever way
// the call ends, by return or by throw, the source reader is released, so
// a cache entry keeps what it learnt about its file but never the open file,
// its decoder threads or their memory. Construct it before open().
#pragma once

#include "video/read/mf_video_reader.h"

namespace TravexUtils {

class SourceReaderScope {
public:
    explicit SourceReaderScope(MFVideoReader& reader) noexcept : reader_(reader) {}
    ~SourceReaderScope() { reader_.releaseSourceReader(); }
    SourceReaderScope(const SourceReaderScope&) = delete;
    SourceReaderScope& operator=(const SourceReaderScope&) = delete;

private:
    MFVideoReader& reader_;
};

}  // namespace TravexUtils
