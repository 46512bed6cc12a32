#include "ui/Bitmap.h"

#include <gdk/gdk.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string_view>

extern "C" void kest_register_resource(void);

namespace ui {

void RegisterBuiltInBitmaps() { kest_register_resource(); }

bool Bitmap::Load(const std::string& path) {
    constexpr std::string_view kResource = "resource://";
    pixbuf = platform::PixbufRef::Adopt(
        path.starts_with(kResource) ? gdk_pixbuf_new_from_resource(path.c_str() + kResource.size(), nullptr)
                                    : gdk_pixbuf_new_from_file(path.c_str(), nullptr));
    return IsLoaded();
}

int Bitmap::Width() const { return pixbuf ? gdk_pixbuf_get_width(pixbuf.Get()) : 0; }
int Bitmap::Height() const { return pixbuf ? gdk_pixbuf_get_height(pixbuf.Get()) : 0; }

void Bitmap::Draw(DeviceContext& dc, int x, int y) const {
    if (!pixbuf || !dc.cairo) {
        return;
    }
    cairo_save(dc.cairo);
    gdk_cairo_set_source_pixbuf(dc.cairo, pixbuf.Get(), x, y);
    cairo_paint(dc.cairo);
    cairo_restore(dc.cairo);
}

} // namespace ui
