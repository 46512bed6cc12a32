// The product's window system: GTK 3 on the desktop's display.
#pragma once

#include "platform/ui/WindowSystem.h"

#include <memory>

namespace platform::ui {

class GtkWindowSystem : public WindowSystem {
public:
    // Opens the display; null when there is none.
    static std::unique_ptr<GtkWindowSystem> Open();

    std::unique_ptr<WindowPeer> CreateWindow(WindowEvents& events) override;
    Rect DesktopRect() const override;

private:
    GtkWindowSystem() = default;
};

// The virtual key code of a GDK key value; 0 for keys without one.
unsigned VirtualKeyFromKeyval(unsigned keyval);

} // namespace platform::ui
