// One counted reference to a decoded picture (a GdkPixbuf), given up on every
// path out of its owner's scope.
#pragma once

typedef struct _GdkPixbuf GdkPixbuf;

namespace platform {

class PixbufRef {
public:
    PixbufRef() = default;
    // Takes over a reference that the caller holds (null allowed).
    static PixbufRef Adopt(GdkPixbuf* owned) { return PixbufRef(owned); }
    // Takes a reference of its own to `shared` (null allowed).
    static PixbufRef Share(GdkPixbuf* shared);

    ~PixbufRef();
    PixbufRef(const PixbufRef&) = delete;
    PixbufRef& operator=(const PixbufRef&) = delete;
    PixbufRef(PixbufRef&& other) noexcept;
    PixbufRef& operator=(PixbufRef&& other) noexcept;

    GdkPixbuf* Get() const { return pixbuf; }
    explicit operator bool() const { return pixbuf != nullptr; }

private:
    explicit PixbufRef(GdkPixbuf* owned) : pixbuf(owned) {}

    GdkPixbuf* pixbuf = nullptr;
};

} // namespace platform
