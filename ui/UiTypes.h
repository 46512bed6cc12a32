// Plain values of the dialog framework: rectangles, window states and the
// numeric codes the window logic is written against (show commands, size
// types, hit-test answers, dialog results, virtual keys).
#pragma once

#include "platform/DeviceContext.h"

namespace ui {

using platform::DeviceContext;

struct Point {
    int x = 0;
    int y = 0;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect RectAt(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

enum class WindowState { Normal, Maximized, Minimized };

// ShowWindow commands.
inline constexpr int kSwHide = 0;
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShowMinimized = 2;
inline constexpr int kSwMaximize = 3;
inline constexpr int kSwShow = 5;
inline constexpr int kSwMinimize = 6;
inline constexpr int kSwRestore = 9;

// Size types given to OnSize.
inline constexpr int kSizeRestored = 0;
inline constexpr int kSizeMinimized = 1;
inline constexpr int kSizeMaximized = 2;

// Hit-test answers.
inline constexpr int kHtClient = 1;
inline constexpr int kHtCaption = 2;

// Dialog results and the commands that end a dialog by default.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Virtual key codes delivered to OnKeyDown.
inline constexpr unsigned kVkBack = 0x08;
inline constexpr unsigned kVkTab = 0x09;
inline constexpr unsigned kVkReturn = 0x0D;
inline constexpr unsigned kVkEscape = 0x1B;
inline constexpr unsigned kVkSpace = 0x20;
inline constexpr unsigned kVkPrior = 0x21;
inline constexpr unsigned kVkNext = 0x22;
inline constexpr unsigned kVkEnd = 0x23;
inline constexpr unsigned kVkHome = 0x24;
inline constexpr unsigned kVkLeft = 0x25;
inline constexpr unsigned kVkUp = 0x26;
inline constexpr unsigned kVkRight = 0x27;
inline constexpr unsigned kVkDown = 0x28;
inline constexpr unsigned kVkDelete = 0x2E;

// Key flag: the key was already down (an auto-repeated key-down).
inline constexpr unsigned kKeyWasDown = 1u << 14;

} // namespace ui
