// The three lifecycle entry points the host calls around all other calls.
#include "bridge/error_manager.h"
#include "bridge/export.h"
#include "bridge/korvel_library.h"
#include "bridge/lib_data_holder.h"
#include "bridge/library_errors.h"
#include "platform/media_foundation.h"
#include "video/read/video_info_cache.h"

namespace {
constexpr int kHostInterfaceVersion = 5;
}

MORVALE_EXPORT mint KorvelLibrary_getVersion() { return kHostInterfaceVersion; }

MORVALE_EXPORT int KorvelLibrary_initialize(KorvelLibraryData libData) {
    try {
        TravexUtils::LibDataHolder::setLibraryData(libData);
        TravexUtils::registerLibraryErrorTables();
        return 0;
    } catch (const TravexUtils::TravexError& error) {
        return error.id();
    } catch (...) {
        return 6;
    }
}

// Shuts the media platform down and drops the cached per-file video
// information; everything else (audio cache, global readers and writer, the
// registry, the callback-table copy) stays as it is.
MORVALE_EXPORT void KorvelLibrary_uninitialize() {
    MFShutdown();
    // Every open() starts COM; two calls release what the readers and the
    // writer started on this thread.
    CoUninitialize();
    CoUninitialize();
    TravexUtils::VideoInfoCache::clear();
}
