// MFSupportedVideoEncodings(container) -> the encodings both encodable and
// decodable here, comma-separated.
#include "bridge/call_frame.h"
#include "bridge/export.h"
#include "video/write/encoder_listing.h"

using namespace TravexUtils;

MORVALE_EXPORT int MFSupportedVideoEncodings(KorvelLibraryData libData, mint Argc, MArgument* Args, MArgument Res) {
    return runLibraryFunction(libData, Argc, Args, Res, [](MArgumentManager& manager) {
        manager.setString(listSupportedEncodings(manager.getString(0)));
    });
}
