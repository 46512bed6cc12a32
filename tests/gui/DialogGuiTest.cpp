// The dialog framework on a real display: clicks, keys, dragging by the bare
// surface, window states and timers as GTK and the window manager deliver them.
#include "ProbeWindow.h"

#include "ui/Control.h"
#include "ui/gtk/GtkWindowSystem.h"

#include <cairo.h>
#include <gdk/gdk.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace ui;

class FrameDialog : public Dialog {
public:
    using Dialog::Dialog;

    std::function<void()> steps;
    std::string bitmapPath;
    BitmapButton button;
    std::vector<std::string> log;

protected:
    bool OnInitDialog() override {
        MoveWindow(RectAt(0, 0, 400, 300));
        EXPECT_TRUE(button.Create(*this, 1013));
        EXPECT_TRUE(button.LoadBitmaps(bitmapPath, bitmapPath, bitmapPath));
        button.MoveWindow(RectAt(300, 2, 1, 1));
        button.SizeToContent();
        SetTimer(1, 50, TimerKind::OneShot);
        SetTimer(2, 30); // repeating: counted
        SetTimer(3, 20000, TimerKind::OneShot); // gives up
        return true;
    }
    void OnTimer(int id) override {
        if (id == 2) {
            ++ticks;
            return;
        }
        if (id == 3) {
            EndDialog(-99);
            return;
        }
        steps();
    }
    bool OnCommand(int id) override {
        log.push_back("command " + std::to_string(id));
        return Dialog::OnCommand(id);
    }
    bool OnKeyDown(unsigned key, unsigned, unsigned) override {
        log.push_back("key " + std::to_string(key));
        return true;
    }
    int OnNcHitTest(Point) override { return IsZoomed() ? kHtClient : kHtCaption; }

public:
    int ticks = 0;
};

// Waits (nested) until `done` or about two seconds have passed.
template <typename Done> bool Await(Done done) {
    for (int i = 0; i < 200 && !done(); ++i) {
        ProbeWindow::Pump(10);
    }
    return done();
}

TEST(DialogOnDisplay, ClicksKeysDragStatesAndTimers) {
    auto system = GtkWindowSystem::Open();
    if (!system) {
        GTEST_SKIP() << "no display (run under scripts/with-display.sh)";
    }
    const std::string bitmap = std::filesystem::temp_directory_path() / "kest-gui-button.png";
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 21, 21);
    cairo_surface_write_to_png(surface, bitmap.c_str());
    cairo_surface_destroy(surface);

    FrameDialog dialog(*system);
    dialog.bitmapPath = bitmap;
    Rect dragged;
    Rect maximised;
    Rect desktop;
    Rect restored;
    int ticks = 0;
    dialog.steps = [&] {
        ProbeWindow::Pump(300);
        ticks = dialog.ticks;
        // A click on the button is its command.
        const Rect button = dialog.button.GetWindowRect();
        ProbeWindow::Xdotool("mousemove " + std::to_string(button.left + 5) + " " + std::to_string(button.top + 5) +
                " click 1");
        Await([&] { return !dialog.log.empty(); });

        // The bare surface answers "caption": pressing there drags the window.
        ProbeWindow::Xdotool("mousemove 50 150 mousedown 1 sleep 0.2 mousemove 60 155 sleep 0.1 mousemove 100 175 "
                "sleep 0.1 mousemove 150 200 sleep 0.2 mouseup 1");
        Await([&] { return dialog.GetWindowRect().left != 0; });
        dragged = dialog.GetWindowRect();

        dialog.ShowWindow(kSwMaximize);
        Await([&] { return dialog.GetWindowRect().Width() > 400; });
        maximised = dialog.GetWindowRect();
        desktop = dialog.GetDesktopRect();
        dialog.ShowWindow(kSwShowNormal);
        Await([&] { return dialog.GetWindowRect().Width() == 400; });
        restored = dialog.GetWindowRect();

        // Keys reach the window; Esc is the cancel request.
        ProbeWindow::Xdotool("key Right");
        Await([&] { return dialog.log.size() >= 2; });
        ProbeWindow::Xdotool("key Escape");
    };
    EXPECT_EQ(dialog.DoModal(), kIdCancel);
    std::filesystem::remove(bitmap);

    EXPECT_GE(ticks, 3) << "the repeating timer";
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"command 1013", "key 39", "command 2"}));
    EXPECT_EQ(dragged.left, 100) << "dragged by the bare surface";
    EXPECT_EQ(dragged.top, 50);
    // A maximised window fills its monitor's work area.
    EXPECT_EQ(maximised, desktop);
    EXPECT_EQ(desktop, (Rect{0, 0, 1280, 1024}));
    EXPECT_EQ(restored.Width(), 400);
    EXPECT_EQ(restored.Height(), 300);
}

} // namespace
