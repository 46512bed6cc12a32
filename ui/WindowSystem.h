// The seam between the dialog framework and a windowing backend. Dialog and
// its controls keep the logic (modal result, timers, window states, rectangles)
// and ask a WindowSystem only for the primitive operations below. The product
// uses the GTK backend; tests plug in a double that records the calls and
// raises the events by hand.
#pragma once

#include "platform/DeviceContext.h"
#include "ui/UiTypes.h"

#include <memory>
#include <string>

namespace ui {

class Bitmap;
class PlayerPeer;

// What a backend reports about a top-level window. Dialog implements it.
class WindowEvents {
public:
    virtual void PeerPaint(DeviceContext& dc) = 0;
    // A point on the window's bare surface (screen coordinates) was pressed
    // with the left button; the answer decides whether that starts a drag.
    virtual int PeerHitTest(Point screen) = 0;
    // True when the key is consumed and must not reach the focused control.
    virtual bool PeerKeyDown(unsigned key, unsigned repeatCount, unsigned flags) = 0;
    // A button was clicked (its control id), or the platform asked to close
    // the window (kIdCancel).
    virtual void PeerCommand(int id) = 0;
    virtual void PeerTimer(int id) = 0;
    // The platform moved or resized the window (screen coordinates).
    virtual void PeerMoved(const Rect& windowRect) = 0;
    // The platform changed the window's state on its own (the user restored it
    // from the taskbar, for instance); not echoed for states Dialog asked for.
    virtual void PeerStateChanged(WindowState state) = 0;

protected:
    ~WindowEvents() = default;
};

// One child control. Positions are in the parent's client coordinates.
class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void Move(const Rect& clientRect) = 0;
    virtual void SetVisible(bool visible) = 0;
};

// A button drawn from bitmaps: up normally, down while pressed, focus while it
// has the keyboard focus. Null bitmaps draw nothing.
class ButtonPeer : public ControlPeer {
public:
    virtual void SetBitmaps(const Bitmap* up, const Bitmap* down, const Bitmap* focus) = 0;
};

class PicturePeer : public ControlPeer {
public:
    virtual void SetBitmap(const Bitmap* bitmap) = 0;
};

// A borderless top-level window with a taskbar entry, and its children.
class WindowPeer {
public:
    virtual ~WindowPeer() = default;

    virtual void Move(const Rect& windowRect) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetState(WindowState state) = 0;
    virtual void SetIcon(const Bitmap& icon) = 0;
    virtual void Invalidate() = 0;
    // The work area of the monitor that shows the window (its whole screen
    // where the desktop names no work area); the primary monitor's before the
    // window is shown.
    virtual Rect DesktopRect() const = 0;

    // Repeating timer `id` every `milliseconds`, replacing one of the same id.
    virtual void StartTimer(int id, unsigned milliseconds) = 0;
    virtual void StopTimer(int id) = 0;

    // Runs the window's messages until QuitModalLoop is called.
    virtual void RunModalLoop() = 0;
    virtual void QuitModalLoop() = 0;

    // Child controls, stacked in creation order (later ones on top), visible.
    virtual std::unique_ptr<ButtonPeer> CreateButton(int id) = 0;
    virtual std::unique_ptr<PicturePeer> CreatePicture(int id) = 0;
    virtual std::unique_ptr<PlayerPeer> CreatePlayer(int id) = 0;

    // Shows a message box owned by this window; returns kIdOk when dismissed.
    virtual int MessageBox(const std::string& text, const std::string& caption) = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // A hidden window at the screen origin with no size yet.
    virtual std::unique_ptr<WindowPeer> CreateWindow(WindowEvents& events) = 0;
};

} // namespace ui
