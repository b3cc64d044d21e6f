#include "host/korvel/call_runner.h"

#include <stdexcept>

#include "host/korvel/host_arguments.h"
#include "host/korvel/result_output.h"
#include "host/korvel/link_calls.h"
#include "host/korvel/signatures.h"
#include "host/stand_in/host_stand_in.h"

namespace korvel {

CallOutcome runCall(const LoadedLibrary& library, const std::string& function, const std::vector<std::string>& args,
                    const CallOptions& options) {
    const Signature* signature = findSignature(function);
    if (signature == nullptr) throw std::runtime_error("unknown function " + function);
    void* entry = library.symbol(function);
    if (entry == nullptr) throw std::runtime_error(function + " is not exported by the library");
    if (signature->result == ResultKind::Link) {
        return runLinkCall(entry, *signature, args);
    }

    HostArguments arguments(signature->arguments, args);
    MArgument result = arguments.resultSlot(signature->result);
    auto call = reinterpret_cast<LibraryFunction>(entry);
    CallOutcome outcome;
    outcome.code = call(hostLibraryData(), arguments.count(), arguments.slots(), result);
    if (outcome.code == 0) {
        outcome.json = renderResult(signature->result, arguments.result(), options);
    }
    return outcome;
}

}  // namespace korvel
