// A modal dialog: a borderless top-level window whose DoModal returns the code
// given to EndDialog. A window class derives from Dialog, overrides the hooks
// it needs, and creates its child controls (Control and its kinds) in
// OnInitDialog. The WindowSystem passed at construction is the backend: GTK in
// the product, a double in tests.
#pragma once

#include "platform/DeviceContext.h"
#include "ui/UiTypes.h"
#include "ui/WindowSystem.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class Bitmap;
class Control;

enum class TimerKind { Repeating, OneShot };

inline constexpr int kDoModalFailed = -1;

class Dialog : private WindowEvents {
public:
    explicit Dialog(WindowSystem& windowSystem);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the window, runs OnInitDialog, shows the window and runs its
    // messages until EndDialog; then destroys the window and its controls'
    // windows. An EndDialog during OnInitDialog closes the window before its
    // loop starts. Returns the first code given to EndDialog, or
    // kDoModalFailed when the dialog is already running.
    int DoModal();
    void EndDialog(int result);
    // True from EndDialog until the window is gone: it is closing.
    bool IsEnding() const { return ended && peer != nullptr; }

    // Returns whether the window was visible before.
    bool ShowWindow(int command);
    bool IsZoomed() const { return state == WindowState::Maximized; }
    bool IsIconic() const { return state == WindowState::Minimized; }
    bool IsWindowVisible() const { return visible; }

    // Screen coordinates; the window has no frame, so its client area covers
    // the whole window rectangle.
    void MoveWindow(const Rect& windowRect, bool repaint = true);
    Rect GetWindowRect() const { return windowRect; }
    Rect GetClientRect() const { return {0, 0, windowRect.Width(), windowRect.Height()}; }

    // Timer `id` ticks OnTimer every `milliseconds`; a one-shot timer ticks
    // once and is gone. Setting an id again replaces its timer. KillTimer
    // returns false for an id that is not running; a tick that was already
    // on its way when its timer was killed is dropped.
    void SetTimer(int id, unsigned milliseconds, TimerKind kind = TimerKind::Repeating);
    bool KillTimer(int id);

    void SetIcon(const Bitmap& icon);
    void Invalidate();
    // The work area of the monitor the window is on; empty without a window.
    Rect GetDesktopRect() const { return peer ? peer->DesktopRect() : Rect{}; }
    int MessageBox(const std::string& text, const std::string& caption);

protected:
    // Hooks. The defaults do what the platform does by default.
    virtual bool OnInitDialog() { return true; }
    virtual void OnPaint(DeviceContext&) {}
    virtual void OnSize(int /*type*/, int /*cx*/, int /*cy*/) {}
    virtual void OnShowWindow(bool /*show*/) {}
    virtual void OnTimer(int /*id*/) {}
    // True consumes the key; false lets it go on to the focused control.
    virtual bool OnKeyDown(unsigned /*key*/, unsigned /*repeatCount*/, unsigned /*flags*/) {
        return false;
    }
    virtual int OnNcHitTest(Point /*screen*/) { return kHtClient; }
    // Commands from buttons; kIdOk and kIdCancel go to OnOK and OnCancel.
    virtual bool OnCommand(int id);
    virtual void OnOK() { EndDialog(kIdOk); }
    virtual void OnCancel() { EndDialog(kIdCancel); }

private:
    friend class Control;

    void PeerPaint(DeviceContext& dc) override { OnPaint(dc); }
    int PeerHitTest(Point screen) override { return OnNcHitTest(screen); }
    bool PeerKeyDown(unsigned key, unsigned repeatCount, unsigned flags) override {
        return OnKeyDown(key, repeatCount, flags);
    }
    void PeerCommand(int id) override { OnCommand(id); }
    void PeerTimer(int id) override;
    void PeerMoved(const Rect& rect) override;
    void PeerStateChanged(WindowState newState) override { ChangeState(newState, false); }

    void SetVisible(bool show);
    void ChangeState(WindowState newState, bool request);
    void SetRect(const Rect& rect);
    void TearDown();

    WindowSystem& windowSystem;
    std::unique_ptr<WindowPeer> peer;
    std::vector<Control*> controls;
    std::map<int, TimerKind> timers;
    Rect windowRect;
    WindowState state = WindowState::Normal;
    WindowState stateBeforeMinimize = WindowState::Normal;
    bool visible = false;
    bool ended = false;
    int result = kDoModalFailed;
};

} // namespace ui
