// Calls the library's exported functions in-process the way a host does:
// argument slots and a result slot backed by host storage, host-made strings
// and tensors, and the results freed afterwards (the host owns them).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bridge/korvel_library.h"
#include "host/sr64i4/sr_host.h"
#include "host/stand_in/host_arguments.h"
#include "host/stand_in/host_stand_in.h"

extern "C" {
int KorvelLibrary_initialize(KorvelLibraryData);
void KorvelLibrary_uninitialize();
int MFInitVideoReader(KorvelLibraryData, mint, MArgument*, MArgument);
int MFReadNextVideoFrame(KorvelLibraryData, mint, MArgument*, MArgument);
int MFFinalizeVideoReader(KorvelLibraryData, mint, MArgument*, MArgument);
int MFReadVideoData(KorvelLibraryData, mint, MArgument*, MArgument);
int MFReadVideoFrameCount(KorvelLibraryData, mint, MArgument*, MArgument);
int MFReadVideoFrameDurations(KorvelLibraryData, mint, MArgument*, MArgument);
int DeleteVideoCache(KorvelLibraryData, mint, MArgument*, MArgument);
int MFReadVideoProperties(KorvelLibraryData, SRLINK);
int DSInitVideoReader(KorvelLibraryData, mint, MArgument*, MArgument);
int DSReadNextVideoFrame(KorvelLibraryData, mint, MArgument*, MArgument);
int DSFinalizeVideoReader(KorvelLibraryData, mint, MArgument*, MArgument);
int DSReadVideoData(KorvelLibraryData, mint, MArgument*, MArgument);
int DSReadVideoFrameCount(KorvelLibraryData, mint, MArgument*, MArgument);
int DSReadVideoFrameDurations(KorvelLibraryData, mint, MArgument*, MArgument);
int DSReadVideoFrameRate(KorvelLibraryData, mint, MArgument*, MArgument);
int DSReadVideoProperties(KorvelLibraryData, SRLINK);
}

namespace morvale_test {

using SlotFunction = int (*)(KorvelLibraryData, mint, MArgument*, MArgument);

// One call's arguments and result, in the host storage korvel uses. Host
// arrays made for the arguments and returned as results are freed when the
// call object goes.
class ExportCall {
public:
    using Result = MorvaleExports::ResultKind;

    ExportCall& string(const std::string& text) {
        arguments_.addString(text);
        return *this;
    }
    ExportCall& number(mint value) {
        arguments_.addInteger(value);
        return *this;
    }
    ExportCall& numbers(const std::vector<long long>& values) {
        arguments_.addIntegers(values);
        return *this;
    }

    // Runs fn with a result slot of the given kind.
    int run(SlotFunction fn, Result kind) { return arguments_.call(fn, kind); }

    bool boolean() const { return arguments_.result().boolean != 0; }
    mint integer() const { return arguments_.result().integer; }
    double real() const { return arguments_.result().real; }
    MImage image() const { return arguments_.result().image; }
    MTensor tensor() const { return arguments_.result().tensor; }
    MRawArray rawArray() const { return arguments_.result().rawArray; }

private:
    korvel::HostArguments arguments_;
};

// MFReadVideoProperties over a fresh host link; the expression it wrote, if any.
struct LinkReply {
    int code = 0;
    std::optional<SrValue> expression;
    std::optional<SrValue> partial;
};

inline LinkReply callPropertiesExport(int (*fn)(KorvelLibraryData, SRLINK), const std::vector<SrValue>& args) {
    SRLINK link = srhost_newLink();
    srhost_putArguments(link, args);
    LinkReply reply;
    reply.code = fn(korvel::hostLibraryData(), link);
    reply.expression = srhost_read(link);
    reply.partial = srhost_partial(link);
    srhost_deleteLink(link);
    return reply;
}

}  // namespace morvale_test
