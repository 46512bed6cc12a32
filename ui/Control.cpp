#include "ui/Control.h"

#include "ui/Dialog.h"

#include <algorithm>

namespace ui {

Control::~Control() {
    if (ownerDialog) {
        auto& list = ownerDialog->controls;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

WindowPeer* Control::ParentPeer(Dialog& dialog) { return dialog.peer.get(); }

bool Control::Attach(Dialog& dialog, int newId, std::unique_ptr<ControlPeer> newPeer) {
    if (!newPeer || peer) {
        return false;
    }
    if (ownerDialog != &dialog) {
        if (ownerDialog) {
            return false;
        }
        ownerDialog = &dialog;
        dialog.controls.push_back(this);
    }
    peer = std::move(newPeer);
    controlId = newId;
    rect = {};
    visible = true;
    return true;
}

void Control::Detach() { peer.reset(); }

void Control::MoveWindow(const Rect& clientRect, bool /*repaint*/) {
    if (!peer) {
        return;
    }
    rect = clientRect;
    peer->Move(clientRect);
}

bool Control::ShowWindow(int command) {
    const bool wasVisible = visible;
    if (peer) {
        visible = command != kSwHide;
        peer->SetVisible(visible);
    }
    return wasVisible;
}

Rect Control::GetWindowRect() const {
    if (!ownerDialog) {
        return rect;
    }
    const Rect window = ownerDialog->GetWindowRect();
    return rect.Offset(window.left, window.top);
}

bool BitmapButton::Create(Dialog& dialog, int newId) {
    WindowPeer* window = ParentPeer(dialog);
    if (!window || !Attach(dialog, newId, window->CreateButton(newId))) {
        return false;
    }
    PushBitmaps();
    return true;
}

bool BitmapButton::LoadBitmaps(const std::string& upPath, const std::string& downPath,
                               const std::string& focusPath) {
    const bool loaded = up.Load(upPath);
    if (!downPath.empty()) {
        (void)down.Load(downPath);
    }
    if (!focusPath.empty()) {
        (void)focus.Load(focusPath);
    }
    PushBitmaps();
    return loaded;
}

void BitmapButton::PushBitmaps() {
    auto* button = static_cast<ButtonPeer*>(Peer());
    if (button) {
        const auto orNull = [](const Bitmap& b) { return b.IsLoaded() ? &b : nullptr; };
        button->SetBitmaps(orNull(up), orNull(down), orNull(focus));
    }
}

void BitmapButton::SizeToContent() {
    const Rect at = GetClientRectInParent();
    MoveWindow(RectAt(at.left, at.top, up.Width(), up.Height()));
}

bool StaticPicture::Create(Dialog& dialog, int newId) {
    WindowPeer* window = ParentPeer(dialog);
    if (!window || !Attach(dialog, newId, window->CreatePicture(newId))) {
        return false;
    }
    PushBitmap();
    return true;
}

bool StaticPicture::LoadBitmap(const std::string& path) {
    const bool loaded = bitmap.Load(path);
    PushBitmap();
    return loaded;
}

void StaticPicture::PushBitmap() {
    auto* picture = static_cast<PicturePeer*>(Peer());
    if (!picture) {
        return;
    }
    picture->SetBitmap(bitmap.IsLoaded() ? &bitmap : nullptr);
    if (bitmap.IsLoaded()) {
        const Rect at = GetClientRectInParent();
        MoveWindow(RectAt(at.left, at.top, bitmap.Width(), bitmap.Height()));
    }
}

} // namespace ui
