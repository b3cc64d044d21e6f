// What library uninitialisation clears besides the media platform. Areas
// that keep process-wide state which must not outlive an uninitialisation
// (the video information cache) add a hook once, at load time; the
// uninitialise entry point runs them without naming any of them.
// Process-wide, used from the host's calling thread (and static
// initialisation) without locks.
#pragma once

namespace TravexUtils {

using ShutdownHook = void (*)() noexcept;

// Adds a hook; returns true so that a namespace-scope constant can add it
// during static initialisation.
bool addShutdownHook(ShutdownHook hook);

// Runs every hook, in the order they were added.
void runShutdownHooks() noexcept;

}  // namespace TravexUtils
