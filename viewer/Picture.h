// One loaded picture, drawn stretched into a rectangle: the viewer window's
// background.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/FileSystem.h"
#include "platform/LoadedPicture.h"

#include <cstdint>
#include <memory>

namespace viewer {

// Device pixels; right and bottom are exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct PixelSize {
    int32_t width = 0;
    int32_t height = 0;
};

class Picture {
public:
    // Opens the file at `path` and loads it. False only if the file cannot be
    // opened; a file that does not decode leaves the picture empty.
    [[nodiscard]] bool LoadFile(const char* path);
    // Drops the picture held so far and decodes the rest of `file`; always true.
    bool Load(platform::FileStream& file);

    bool IsEmpty() const { return picture == nullptr; }

    // Size in device pixels for `dc`, or for the screen when `dc` is null;
    // (0, 0) when empty.
    PixelSize GetPixelSize(const platform::DeviceContext* dc) const;

    // Draws the whole picture upright, stretched into `rect` without keeping
    // its proportions. An all-zero `rect` stands for the picture's own size at
    // the origin. Draws nothing when empty; always true.
    bool Draw(const platform::DeviceContext* dc, PixelRect rect) const;

private:
    std::unique_ptr<platform::LoadedPicture> picture;
};

} // namespace viewer
