// A display that goes away (a logout, an X server or compositor that
// crashed) ends the process from inside the main loop, past every destructor.
#pragma once

#include <functional>

namespace ui {

// `last` runs before the process ends because its X display went away; an
// empty function runs nothing. Call once the display is open.
void WhenDisplayLost(std::function<void()> last);

} // namespace ui
