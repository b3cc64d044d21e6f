// The three lifecycle entry points the host calls around all other calls.
// Like every export they run in the error boundary, so nothing escapes to
// the host.
#include "bridge/error_boundary.h"
#include "bridge/export.h"
#include "bridge/korvel_library.h"
#include "bridge/lib_data_holder.h"
#include "bridge/library_errors.h"
#include "bridge/shutdown_hooks.h"
#include "platform/media_foundation.h"

using namespace TravexUtils;

namespace {
constexpr mint kHostInterfaceVersion = 5;
}

MORVALE_EXPORT mint KorvelLibrary_getVersion() {
    mint version = 0;
    runInBoundary(FailurePolicy::RegisteredCode, [&] { version = kHostInterfaceVersion; });
    return version;
}

MORVALE_EXPORT int KorvelLibrary_initialize(KorvelLibraryData libData) {
    return runInBoundary(FailurePolicy::RegisteredCode, [libData] {
        LibDataHolder::setLibraryData(libData);
        registerLibraryErrorTables();
    });
}

// Shuts the media platform down and runs the shut-down hooks (the video
// information cache empties itself); everything else (audio cache, global
// readers and writer, the registry, the callback-table copy) stays as it is.
// The host receives no code from uninitialisation.
MORVALE_EXPORT void KorvelLibrary_uninitialize() {
    runInBoundary(FailurePolicy::RegisteredCode, [] {
        MFShutdown();
        // Every open() starts COM; two calls release what the readers and the
        // writer started on this thread.
        CoUninitialize();
        CoUninitialize();
        runShutdownHooks();
    });
}
