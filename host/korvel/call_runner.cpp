#include "host/korvel/call_runner.h"

#include <stdexcept>

#include "exports/export_manifest.h"
#include "host/korvel/argument_text.h"
#include "host/korvel/audio_calls.h"
#include "host/korvel/link_calls.h"
#include "host/korvel/result_output.h"
#include "host/stand_in/host_arguments.h"

namespace korvel {

const MorvaleExports::ExportEntry* findCallable(const std::string& function) {
    const MorvaleExports::ExportEntry* entry = MorvaleExports::findExport(function);
    if (entry == nullptr || entry->form == MorvaleExports::ExportForm::Lifecycle) return nullptr;
    return entry;
}

CallOutcome runCall(const LoadedLibrary& library, const std::string& function, const std::vector<std::string>& args,
                    const CallOptions& options) {
    const MorvaleExports::ExportEntry* entry = findCallable(function);
    if (entry == nullptr) throw std::runtime_error("unknown function " + function);
    void* symbol = library.symbol(function);
    if (symbol == nullptr) throw std::runtime_error(function + " is not exported by the library");
    if (entry->form == MorvaleExports::ExportForm::Link) {
        return runLinkCall(symbol, *entry, args);
    }

    HostArguments arguments;
    addArgumentsFromText(arguments, entry->arguments(), args, &library);
    CallOutcome outcome;
    outcome.code = arguments.call(reinterpret_cast<LibraryFunction>(symbol), entry->result);
    if (outcome.code == 0) {
        CallOptions resultOptions = options;
        if (entry->result == ResultKind::RawArray && !options.out.empty() && !options.checksum) {
            // Audio is read from (path, stream): the rate of that stream.
            resultOptions.audioSampleRate =
                audioSampleRate(library, args.at(0), args.size() > 1 ? parseInteger(args[1]) : 0);
        }
        outcome.json = renderResult(entry->result, arguments.result(), resultOptions);
    }
    return outcome;
}

}  // namespace korvel
