#include "bridge/shutdown_hooks.h"

#include <vector>

namespace TravexUtils {
namespace {

// Created on first use, so that hooks added from other files' static
// initialisers never find it unconstructed.
std::vector<ShutdownHook>& hooks() {
    static std::vector<ShutdownHook> added;
    return added;
}

}  // namespace

bool addShutdownHook(ShutdownHook hook) {
    hooks().push_back(hook);
    return true;
}

void runShutdownHooks() noexcept {
    for (ShutdownHook hook : hooks()) hook();
}

}  // namespace TravexUtils
