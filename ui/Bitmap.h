// One picture file (BMP, PNG, ...) loaded into memory for buttons, static
// pictures and the window icon. Loading needs no display.
#pragma once

#include "ui/UiTypes.h"

#include <string>

typedef struct _GdkPixbuf GdkPixbuf;

namespace ui {

class Bitmap {
public:
    Bitmap() = default;
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;

    // Replaces the picture with the file's; false (and empty) on failure. A
    // path "resource://NAME" names a picture built into the program.
    [[nodiscard]] bool Load(const std::string& path);
    bool IsLoaded() const { return pixbuf != nullptr; }
    int Width() const;
    int Height() const;
    GdkPixbuf* Pixbuf() const { return pixbuf; }
    // Draws the picture at its natural size with its top left corner at x, y.
    void Draw(DeviceContext& dc, int x, int y) const;

private:
    void Reset();

    GdkPixbuf* pixbuf = nullptr;
};

} // namespace ui
