// The system's fonts, as far as the player's device text depends on them.
#pragma once

namespace player {

// Says once on standard error, when the main loop is idle, that the system
// has no font with Chinese and which package brings one: without one, the
// Chinese of a magazine's device text cannot be drawn.
void WarnIfNoChineseFont();

} // namespace player
