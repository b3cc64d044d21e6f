#include "host/korvel/link_calls.h"

#include <stdexcept>

namespace korvel {

CallOutcome runLinkCall(void*, const Signature& signature, const std::vector<std::string>&) {
    throw std::runtime_error(signature.name + ": link-based calls are not available in this build");
}

}  // namespace korvel
