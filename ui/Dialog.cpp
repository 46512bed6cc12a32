#include "ui/Dialog.h"

#include "ui/gtk/MessageBox.h"
#include "ui/Bitmap.h"
#include "ui/Control.h"

#include <algorithm>

namespace ui {

namespace {

int SizeType(WindowState state) {
    switch (state) {
    case WindowState::Maximized:
        return kSizeMaximized;
    case WindowState::Minimized:
        return kSizeMinimized;
    case WindowState::Normal:
        break;
    }
    return kSizeRestored;
}

} // namespace

Dialog::Dialog(WindowSystem& system) : windowSystem(system) {}

Dialog::~Dialog() {
    TearDown();
    for (Control* control : controls) {
        control->ownerDialog = nullptr;
    }
}

int Dialog::DoModal() {
    if (peer) {
        return kDoModalFailed;
    }
    peer = windowSystem.CreateWindow(*this);
    windowRect = {};
    state = stateBeforeMinimize = WindowState::Normal;
    visible = ended = false;
    result = kDoModalFailed;
    timers.clear();

    OnInitDialog();
    if (!ended) {
        ShowWindow(kSwShow);
    }
    // A backend loop may return early (a nested quit); only EndDialog ends.
    while (!ended) {
        peer->RunModalLoop();
    }
    TearDown();
    return result;
}

void Dialog::EndDialog(int code) {
    if (!peer || ended) {
        return;
    }
    ended = true;
    result = code;
    peer->QuitModalLoop();
}

void Dialog::TearDown() {
    if (!peer) {
        return;
    }
    for (const auto& [id, kind] : timers) {
        peer->StopTimer(id);
    }
    timers.clear();
    // Children go before the window that holds them.
    for (Control* control : controls) {
        control->Detach();
    }
    peer.reset();
    visible = false;
}

bool Dialog::ShowWindow(int command) {
    const bool wasVisible = visible;
    if (!peer) {
        return wasVisible;
    }
    switch (command) {
    case kSwHide:
        SetVisible(false);
        break;
    case kSwShow:
        SetVisible(true);
        break;
    case kSwShowNormal:
        SetVisible(true);
        ChangeState(WindowState::Normal, true);
        break;
    case kSwRestore:
        SetVisible(true);
        ChangeState(state == WindowState::Minimized ? stateBeforeMinimize : WindowState::Normal,
                    true);
        break;
    case kSwMaximize:
        SetVisible(true);
        ChangeState(WindowState::Maximized, true);
        break;
    case kSwShowMinimized:
    case kSwMinimize:
        SetVisible(true);
        ChangeState(WindowState::Minimized, true);
        break;
    default:
        break;
    }
    return wasVisible;
}

void Dialog::SetVisible(bool show) {
    if (show == visible) {
        return;
    }
    // The window hears of it before it changes, as the platform tells it.
    OnShowWindow(show);
    visible = show;
    if (peer) {
        peer->SetVisible(show);
    }
}

void Dialog::ChangeState(WindowState newState, bool request) {
    if (newState == state || !peer) {
        return;
    }
    if (newState == WindowState::Minimized) {
        stateBeforeMinimize = state;
    }
    state = newState;
    if (request) {
        peer->SetState(newState);
    }
    OnSize(SizeType(state), windowRect.Width(), windowRect.Height());
}

void Dialog::MoveWindow(const Rect& rect, bool /*repaint*/) {
    if (!peer) {
        return;
    }
    peer->Move(rect);
    SetRect(rect);
}

void Dialog::PeerMoved(const Rect& rect) { SetRect(rect); }

void Dialog::SetRect(const Rect& rect) {
    const bool resized = rect.Width() != windowRect.Width() || rect.Height() != windowRect.Height();
    windowRect = rect;
    if (resized) {
        OnSize(SizeType(state), rect.Width(), rect.Height());
    }
}

void Dialog::SetTimer(int id, unsigned milliseconds, TimerKind kind) {
    if (!peer) {
        return;
    }
    timers[id] = kind;
    peer->StartTimer(id, milliseconds);
}

bool Dialog::KillTimer(int id) {
    if (!peer || timers.erase(id) == 0) {
        return false;
    }
    peer->StopTimer(id);
    return true;
}

void Dialog::PeerTimer(int id) {
    const auto timer = timers.find(id);
    if (timer == timers.end()) {
        return;
    }
    if (timer->second == TimerKind::OneShot) {
        timers.erase(timer);
        peer->StopTimer(id);
    }
    OnTimer(id);
}

bool Dialog::OnCommand(int id) {
    if (id == kIdOk) {
        OnOK();
        return true;
    }
    if (id == kIdCancel) {
        OnCancel();
        return true;
    }
    return false;
}

void Dialog::SetIcon(const Bitmap& icon) {
    if (peer && icon.IsLoaded()) {
        peer->SetIcon(icon);
    }
}

void Dialog::Invalidate() {
    if (peer) {
        peer->Invalidate();
    }
}

int Dialog::MessageBox(const std::string& text, const std::string& caption) {
    if (peer) {
        return peer->MessageBox(text, caption);
    }
    return ::ui::MessageBox(text.c_str(), caption.c_str());
}

} // namespace ui
