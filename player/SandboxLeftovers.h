// What the engine's sandboxes leave behind. Without a runtime folder
// (XDG_RUNTIME_DIR unset) the engine keeps the information it gives each
// sandbox in the cache folder, in .flatpak/webkit-PID-N (PID the viewer's),
// and never removes it: every start would leave two folders behind for good.
#pragma once

#include <string>

namespace player {

// Removes from `folder` the sandbox folders of viewers that have ended;
// those of running viewers, and anything else, stay.
void RemoveEndedSandboxInfo(const std::string& folder);

} // namespace player
