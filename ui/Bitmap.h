// One picture file (BMP, PNG, ...) loaded into memory for buttons, static
// pictures and the window icon. Loading needs no display.
#pragma once

#include "platform/PixbufRef.h"
#include "ui/UiTypes.h"

#include <string>

namespace ui {

// Makes the pictures built into the program ("resource://...") loadable;
// called once at start-up.
void RegisterBuiltInBitmaps();

class Bitmap {
public:
    // Replaces the picture with the file's; false (and empty) on failure. A
    // path "resource://NAME" names a picture built into the program.
    [[nodiscard]] bool Load(const std::string& path);
    bool IsLoaded() const { return static_cast<bool>(pixbuf); }
    int Width() const;
    int Height() const;
    GdkPixbuf* Pixbuf() const { return pixbuf.Get(); }
    // Draws the picture at its natural size with its top left corner at x, y.
    void Draw(DeviceContext& dc, int x, int y) const;

private:
    platform::PixbufRef pixbuf;
};

} // namespace ui
