// The product's window system: GTK 3 on the desktop's display.
#pragma once

#include "ui/PlayerPeer.h"
#include "ui/WindowSystem.h"

#include <functional>
#include <memory>

typedef struct _GtkWidget GtkWidget;

namespace ui {

// Makes the movie player placed in a window's client area (a GtkLayout); null
// when no player can be made.
using PlayerFactory = std::function<std::unique_ptr<PlayerPeer>(GtkWidget* layout)>;

class GtkWindowSystem : public WindowSystem {
public:
    // Opens the display; null when there is none. Windows get their players
    // from `makePlayer`; without one they have none.
    static std::unique_ptr<GtkWindowSystem> Open(PlayerFactory makePlayer = {});
    // Opens the display only, for what must exist before the window system
    // (Open opens it too); false when there is none.
    static bool OpenDisplay();

    std::unique_ptr<WindowPeer> CreateWindow(WindowEvents& events) override;

private:
    explicit GtkWindowSystem(PlayerFactory factory) : makePlayer(std::move(factory)) {}

    PlayerFactory makePlayer;
};

// The virtual key code of a GDK key value; 0 for keys without one.
unsigned VirtualKeyFromKeyval(unsigned keyval);

} // namespace ui
