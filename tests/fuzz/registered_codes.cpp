// RegisteredCodes; see registered_codes.h.
#include "tests/fuzz/registered_codes.h"

#include <stdexcept>
#include <string>

#include "bridge/korvel_library.h"
#include "host/sr64i4/sr_host.h"
#include "host/stand_in/host_stand_in.h"

extern "C" int sendRegisteredErrors(KorvelLibraryData, SRLINK);

namespace morvale_fuzz {

RegisteredCodes RegisteredCodes::fetch() {
    SrHostLink link;
    if (!srhost_putArguments(link.get(), {})) throw std::runtime_error("cannot put arguments on a host link");
    const int code = sendRegisteredErrors(korvel::hostLibraryData(), link.get());
    if (code != 0) throw std::runtime_error("sendRegisteredErrors returned " + std::to_string(code));
    const auto table = srhost_read(link.get());
    if (!table) throw std::runtime_error("sendRegisteredErrors wrote nothing");
    return fromTable(*table);
}

RegisteredCodes RegisteredCodes::fromTable(const SrValue& association) {
    if (!association.isFunction("Association")) throw std::invalid_argument("the error table is not an association");
    RegisteredCodes codes;
    for (const SrValue& rule : association.args) {
        if (!rule.isFunction("Rule") || rule.args.size() != 2) continue;
        const SrValue& entry = rule.args[1];
        if (!entry.isFunction("List") || entry.args.empty() || entry.args[0].kind != SrValue::Kind::Integer) continue;
        codes.codes_.insert(entry.args[0].integer);
    }
    return codes;
}

}  // namespace morvale_fuzz
