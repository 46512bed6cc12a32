#include "ui/Bitmap.h"

#include <gdk/gdk.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string_view>
#include <utility>

namespace ui {

Bitmap::~Bitmap() { Reset(); }

Bitmap::Bitmap(Bitmap&& other) noexcept : pixbuf(std::exchange(other.pixbuf, nullptr)) {}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this != &other) {
        Reset();
        pixbuf = std::exchange(other.pixbuf, nullptr);
    }
    return *this;
}

void Bitmap::Reset() {
    if (pixbuf) {
        g_object_unref(pixbuf);
        pixbuf = nullptr;
    }
}

bool Bitmap::Load(const std::string& path) {
    Reset();
    constexpr std::string_view kResource = "resource://";
    if (path.starts_with(kResource)) {
        pixbuf = gdk_pixbuf_new_from_resource(path.c_str() + kResource.size(), nullptr);
    } else {
        pixbuf = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    }
    return pixbuf != nullptr;
}

int Bitmap::Width() const { return pixbuf ? gdk_pixbuf_get_width(pixbuf) : 0; }
int Bitmap::Height() const { return pixbuf ? gdk_pixbuf_get_height(pixbuf) : 0; }

void Bitmap::Draw(DeviceContext& dc, int x, int y) const {
    if (!pixbuf || !dc.cairo) {
        return;
    }
    cairo_save(dc.cairo);
    gdk_cairo_set_source_pixbuf(dc.cairo, pixbuf, x, y);
    cairo_paint(dc.cairo);
    cairo_restore(dc.cairo);
}

} // namespace ui
