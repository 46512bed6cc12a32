// Child controls of a Dialog, placed at absolute positions in its client
// area: the common part (move, show, hide, screen rectangle) and the two
// plain kinds the viewer uses, a bitmap button and a static picture.
#pragma once

#include "ui/Bitmap.h"
#include "ui/UiTypes.h"
#include "ui/WindowSystem.h"

#include <memory>
#include <string>

namespace ui {

class Dialog;

class Control {
public:
    Control() = default;
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // True while the control has a window (from Create until its dialog ends).
    bool IsCreated() const { return peer != nullptr; }
    int GetDlgCtrlID() const { return controlId; }

    // Client coordinates of the parent.
    void MoveWindow(const Rect& clientRect, bool repaint = true);
    // kSwHide hides, any other command shows; returns whether it was visible.
    bool ShowWindow(int command);
    bool IsWindowVisible() const { return visible; }
    Rect GetClientRectInParent() const { return rect; }
    // Screen coordinates: the parent window's position plus the client rectangle.
    Rect GetWindowRect() const;

protected:
    // Makes the control a child of `parent` with id `newId`; false when the
    // parent has no window or the backend gave no control.
    bool Attach(Dialog& parent, int newId, std::unique_ptr<ControlPeer> newPeer);
    static WindowPeer* ParentPeer(Dialog& parent);
    ControlPeer* Peer() const { return peer.get(); }

private:
    friend class Dialog;
    void Detach();

    Dialog* ownerDialog = nullptr;
    std::unique_ptr<ControlPeer> peer;
    int controlId = 0;
    Rect rect;
    bool visible = true;
};

// An owner-drawn button showing its up bitmap, its down bitmap while pressed
// and its focus bitmap while focused. Clicks reach the dialog's OnCommand.
class BitmapButton : public Control {
public:
    [[nodiscard]] bool Create(Dialog& parent, int newId);
    // False when the up bitmap cannot be loaded; the others are optional.
    bool LoadBitmaps(const std::string& upPath, const std::string& downPath,
                     const std::string& focusPath = {});
    // Takes the size of the up bitmap, keeping the position.
    void SizeToContent();

private:
    void PushBitmaps();

    Bitmap up;
    Bitmap down;
    Bitmap focus;
};

// A static control showing one bitmap at its natural size.
class StaticPicture : public Control {
public:
    [[nodiscard]] bool Create(Dialog& parent, int newId);
    bool LoadBitmap(const std::string& path);

private:
    void PushBitmap();

    Bitmap bitmap;
};

} // namespace ui
