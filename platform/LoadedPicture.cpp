#include "platform/LoadedPicture.h"

#include <cstdlib>
#include <utility>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gdk/gdk.h>

namespace platform {

namespace {

constexpr size_t kLoadPieceSize = 4096;

// The resolution a decoded file states for one axis ("x-dpi" or "y-dpi").
int StatedPixelsPerInch(GdkPixbuf* pixbuf, const char* option) {
    const char* stated = gdk_pixbuf_get_option(pixbuf, option);
    const long value = stated != nullptr ? std::strtol(stated, nullptr, 10) : 0;
    return value > 0 && value <= 100000 ? static_cast<int>(value) : kDefaultPixelsPerInch;
}

} // namespace

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    const long long product = static_cast<long long>(number) * numerator;
    const long long half = std::llabs(static_cast<long long>(denominator)) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const long long magnitude =
        (std::llabs(product) + half) / std::llabs(static_cast<long long>(denominator));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

DeviceContext ScreenDeviceContext() {
    DeviceContext screen;
    if (GdkScreen* display = gdk_screen_get_default(); display != nullptr) {
        const double resolution = gdk_screen_get_resolution(display);
        if (resolution > 0) {
            screen.pixelsPerInchX = screen.pixelsPerInchY = static_cast<int>(resolution + 0.5);
        }
    }
    return screen;
}

LoadedPicture::LoadedPicture(PixbufRef decoded)
    : pixbuf(std::move(decoded)), width(MulDiv(gdk_pixbuf_get_width(pixbuf.Get()), kHimetricPerInch,
                                               StatedPixelsPerInch(pixbuf.Get(), "x-dpi"))),
      height(MulDiv(gdk_pixbuf_get_height(pixbuf.Get()), kHimetricPerInch,
                    StatedPixelsPerInch(pixbuf.Get(), "y-dpi"))) {}

std::unique_ptr<LoadedPicture> LoadedPicture::Load(FileStream& file) {
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    bool fed = true;
    guchar piece[kLoadPieceSize];
    for (size_t read; fed && (read = file.Read(piece, sizeof piece)) > 0;) {
        fed = gdk_pixbuf_loader_write(loader, piece, read, nullptr) != FALSE;
    }
    // Closing is needed in any case; it also reports data that ended early.
    const bool complete = gdk_pixbuf_loader_close(loader, nullptr) != FALSE && fed;
    GdkPixbuf* decoded = complete ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    std::unique_ptr<LoadedPicture> picture;
    if (decoded != nullptr) {
        picture.reset(new LoadedPicture(PixbufRef::Share(decoded)));
    }
    g_object_unref(loader);
    return picture;
}

void LoadedPicture::Render(const DeviceContext* dc, int x, int y, int cx, int cy, int xSrc,
                           int ySrc, int cxSrc, int cySrc) const {
    if (dc == nullptr || dc->cairo == nullptr || cx == 0 || cy == 0 || cxSrc == 0 || cySrc == 0 ||
        width == 0 || height == 0) {
        return;
    }
    // Source rectangle in the picture's pixels, rows counted from the top.
    const double pixelsX = gdk_pixbuf_get_width(pixbuf.Get()) / static_cast<double>(width);
    const double pixelsY = gdk_pixbuf_get_height(pixbuf.Get()) / static_cast<double>(height);
    const double left = xSrc * pixelsX;
    const double right = (static_cast<double>(xSrc) + cxSrc) * pixelsX;
    const double top = (static_cast<double>(height) - ySrc) * pixelsY;
    const double bottom = (static_cast<double>(height) - ySrc - cySrc) * pixelsY;

    cairo_t* cairo = dc->cairo;
    cairo_save(cairo);
    cairo_rectangle(cairo, x, y, cx, cy);
    cairo_clip(cairo);
    cairo_translate(cairo, x, y);
    cairo_scale(cairo, cx / (right - left), cy / (bottom - top));
    cairo_translate(cairo, -left, -top);
    gdk_cairo_set_source_pixbuf(cairo, pixbuf.Get(), 0, 0);
    // Edge pixels continue outward, so a stretched picture has no faded rim.
    cairo_pattern_set_extend(cairo_get_source(cairo), CAIRO_EXTEND_PAD);
    cairo_paint(cairo);
    cairo_restore(cairo);
}

} // namespace platform
