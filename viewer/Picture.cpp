#include "viewer/Picture.h"

namespace viewer {

bool Picture::LoadFile(const char* path) {
    platform::FileStream file;
    if (!file.Open(path, "rb")) {
        return false;
    }
    return Load(file);
}

bool Picture::Load(platform::FileStream& file) {
    picture.reset();
    picture = platform::LoadedPicture::Load(file);
    return true;
}

PixelSize Picture::GetPixelSize(const platform::DeviceContext* dc) const {
    if (IsEmpty()) {
        return {};
    }
    const platform::DeviceContext device = dc != nullptr ? *dc : platform::ScreenDeviceContext();
    return {platform::MulDiv(picture->Width(), device.pixelsPerInchX, platform::kHimetricPerInch),
            platform::MulDiv(picture->Height(), device.pixelsPerInchY, platform::kHimetricPerInch)};
}

bool Picture::Draw(const platform::DeviceContext* dc, PixelRect rect) const {
    if (IsEmpty()) {
        return true;
    }
    if (rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0) {
        const PixelSize size = GetPixelSize(dc);
        rect = {0, 0, size.width, size.height};
    }
    const int width = picture->Width();
    const int height = picture->Height();
    // Starting at the bottom edge with a negative height draws the picture upright.
    picture->Render(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0,
                    height, width, -height);
    return true;
}

} // namespace viewer
