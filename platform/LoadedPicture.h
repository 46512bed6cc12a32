// Decoded pictures: loading from a file stream, the size in HIMETRIC units
// (0.01 mm) and stretched drawing on a device context.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/FileSystem.h"
#include "platform/PixbufRef.h"

#include <memory>

namespace platform {

inline constexpr int kHimetricPerInch = 2540;

// number * numerator / denominator, rounded to the nearest integer (halves away
// from zero) without intermediate overflow; -1 when denominator is 0.
int MulDiv(int number, int numerator, int denominator);

// The screen's resolution, for sizes asked without a device context: the
// display's when one is open, else kDefaultPixelsPerInch.
DeviceContext ScreenDeviceContext();

class LoadedPicture {
public:
    // Decodes the rest of `file`, read in pieces of 4,096 bytes, in any format
    // the decoder knows (found from the content, not the name). Null when the
    // data does not decode completely.
    static std::unique_ptr<LoadedPicture> Load(FileStream& file);

    // Size in HIMETRIC units: the pixels at the resolution the file states,
    // else at kDefaultPixelsPerInch.
    int Width() const { return width; }
    int Height() const { return height; }

    // Draws the source part (HIMETRIC; x to the right from the left edge, y up
    // from the bottom edge, extents may be negative) stretched into the
    // destination rectangle (device pixels), each axis on its own. Nothing is
    // drawn without a device context or for an empty rectangle.
    void Render(const DeviceContext* dc, int x, int y, int cx, int cy, int xSrc, int ySrc,
                int cxSrc, int cySrc) const;

private:
    explicit LoadedPicture(PixbufRef decoded);

    PixbufRef pixbuf;
    int width;
    int height;
};

} // namespace platform
