// sendRegisteredErrors: hands the host every registered error as an
// Association of name -> {code, message}, framed in one packet, so the host
// can turn any returned code into a name and a message.
#include "bridge/call_frame.h"
#include "bridge/error_manager.h"
#include "bridge/export.h"
#include "link/link_stream.h"

using namespace TravexUtils;

MORVALE_EXPORT int sendRegisteredErrors(KorvelLibraryData /*libData*/, SRLINK link) {
    return runLinkFunction([link] {
        LinkStream stream(link);
        stream.testHead("List", 0);
        const auto& errors = ErrorManager::errors();
        stream.newPacket();
        // The size is known, so the association goes straight to the host link.
        stream.putFunction(FunctionHead("Association", static_cast<int32_t>(errors.size())));
        for (const auto& [name, error] : errors) {
            stream.putRule().putString(name);
            stream.putFunction(FunctionHead("List", 2)).putScalar(int32_t{error.id()}).putString(error.message());
        }
        stream.endPacket().flush();
    });
}
