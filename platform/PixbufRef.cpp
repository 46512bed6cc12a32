#include "platform/PixbufRef.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <utility>

namespace platform {

PixbufRef PixbufRef::Share(GdkPixbuf* shared) {
    return PixbufRef(shared ? GDK_PIXBUF(g_object_ref(shared)) : nullptr);
}

PixbufRef::~PixbufRef() {
    if (pixbuf) {
        g_object_unref(pixbuf);
    }
}

PixbufRef::PixbufRef(PixbufRef&& other) noexcept : pixbuf(std::exchange(other.pixbuf, nullptr)) {}

PixbufRef& PixbufRef::operator=(PixbufRef&& other) noexcept {
    std::swap(pixbuf, other.pixbuf);
    return *this;
}

} // namespace platform
