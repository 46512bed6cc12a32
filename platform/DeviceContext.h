// What the system draws on: a cairo context and the device's resolution.
#pragma once

#include <cairo.h>

namespace platform {

inline constexpr int kDefaultPixelsPerInch = 96;

struct DeviceContext {
    cairo_t* cairo = nullptr;
    int pixelsPerInchX = kDefaultPixelsPerInch;
    int pixelsPerInchY = kDefaultPixelsPerInch;
};

} // namespace platform
