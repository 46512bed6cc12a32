// A window system without a display, for tests of window logic: it records
// what the dialog asks of its window and controls, and lets a test raise the
// platform's events (timer ticks, clicks, keys, moves, state changes).
#pragma once

#include "ui/PlayerPeer.h"
#include "ui/WindowSystem.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fake {

using ui::Rect;
using ui::WindowState;

struct ControlRecord {
    int id = 0;
    std::string kind; // "button", "picture" or "player"
    Rect rect;
    bool visible = true;
    bool alive = true;
    std::vector<std::string> bitmaps; // "WxH" of up, down, focus for buttons
};

struct PlayerRecord {
    std::vector<std::string> calls; // "LoadMovie 0 path", "Play", "CallFunction text", "CallOnStart text"
    std::function<std::string(const std::string&)> answer;
    ui::FsCommandHandler fsCommand;
};

struct WindowRecord {
    ui::WindowEvents* events = nullptr;
    bool alive = true;
    bool visible = false;
    Rect rect;
    Rect desktop{0, 0, 1024, 768};
    WindowState state = WindowState::Normal;
    std::vector<WindowState> stateRequests;
    std::map<int, unsigned> timers; // running timers: id -> period
    int loopsRun = 0;
    bool hasIcon = false;
    std::vector<std::string> messageBoxes; // "caption: text"
    std::vector<ControlRecord> controls;
    PlayerRecord player;
    // Runs inside the first modal loop. When it does not end the dialog, the
    // loop asks for cancel, as the platform's close button would, and records
    // that in messageBoxes.
    std::function<void()> duringLoop;

    ControlRecord* Control(int id);
};

class WindowSystem : public ui::WindowSystem {
public:
    std::unique_ptr<ui::WindowPeer> CreateWindow(ui::WindowEvents& events) override;
    // Set up before DoModal; a new window keeps what the test put here.
    WindowRecord window;
    int windowsCreated = 0;
};

} // namespace fake
