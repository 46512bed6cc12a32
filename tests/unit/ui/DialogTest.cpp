#include "ui/Control.h"
#include "ui/Dialog.h"
#include "unit/TestSupport.h"
#include "FakeWindowSystem.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace ui;

// A dialog whose hooks are set by each test and which logs what it hears.
class TestDialog : public Dialog {
public:
    using Dialog::Dialog;

    std::function<void()> init;
    std::function<void(int)> timer;
    std::function<bool(int)> command;
    std::vector<std::string> log;

protected:
    bool OnInitDialog() override {
        if (init) {
            init();
        }
        return true;
    }
    void OnSize(int type, int cx, int cy) override {
        log.push_back("size " + std::to_string(type) + " " + std::to_string(cx) + "x" +
                      std::to_string(cy));
    }
    void OnShowWindow(bool show) override {
        log.push_back(std::string("show ") + (show ? "1" : "0") +
                      (IsWindowVisible() ? " (was visible)" : ""));
    }
    void OnTimer(int id) override {
        log.push_back("timer " + std::to_string(id));
        if (timer) {
            timer(id);
        }
    }
    bool OnCommand(int id) override {
        log.push_back("command " + std::to_string(id));
        return (command && command(id)) || Dialog::OnCommand(id);
    }
};

class DialogTest : public ::testing::Test {
protected:
    fake::WindowSystem system;
    TestDialog dialog{system};
    fake::WindowRecord& window = system.window;
};

TEST_F(DialogTest, DoModalReturnsTheFirstCodeGivenToEndDialog) {
    window.duringLoop = [&] {
        dialog.EndDialog(7);
        dialog.EndDialog(kIdOk);
    };
    EXPECT_EQ(dialog.DoModal(), 7);
    EXPECT_EQ(window.loopsRun, 1);
    EXPECT_FALSE(window.alive);

    // The same object runs again with a new window.
    window.duringLoop = [&] { window.events->PeerCommand(kIdOk); };
    window.loopsRun = 0;
    EXPECT_EQ(dialog.DoModal(), kIdOk);
    EXPECT_EQ(system.windowsCreated, 2);
}

TEST_F(DialogTest, EndDialogDuringInitClosesBeforeTheLoopAndWithoutShowing) {
    dialog.init = [&] {
        dialog.EndDialog(-2);
        dialog.SetTimer(100, 300); // initialisation goes on after EndDialog
    };
    EXPECT_EQ(dialog.DoModal(), -2);
    EXPECT_EQ(window.loopsRun, 0);
    EXPECT_FALSE(window.visible);
    EXPECT_TRUE(window.timers.empty()) << "timers outlived the window";
    EXPECT_EQ(dialog.log, std::vector<std::string>{});
}

TEST_F(DialogTest, CommandsOkAndCancelEndTheDialogOthersGoToTheWindow) {
    dialog.command = [](int id) { return id == 1013; };
    window.duringLoop = [&] {
        window.events->PeerCommand(1013);
        window.events->PeerCommand(kIdCancel);
    };
    EXPECT_EQ(dialog.DoModal(), kIdCancel);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"show 1", "command 1013", "command 2"}));
}

TEST_F(DialogTest, OneShotAndRepeatingTimers) {
    std::vector<std::string> expected;
    window.duringLoop = [&] {
        dialog.SetTimer(100, 300, TimerKind::OneShot);
        dialog.SetTimer(5, 50);
        EXPECT_EQ(window.timers, (std::map<int, unsigned>{{5, 50}, {100, 300}}));

        window.events->PeerTimer(100);
        window.events->PeerTimer(100); // already queued when it stopped: dropped
        window.events->PeerTimer(5);
        window.events->PeerTimer(5);
        EXPECT_EQ(window.timers, (std::map<int, unsigned>{{5, 50}}));

        EXPECT_TRUE(dialog.KillTimer(5));
        EXPECT_FALSE(dialog.KillTimer(5));
        EXPECT_FALSE(dialog.KillTimer(100));
        window.events->PeerTimer(5);
        window.events->PeerTimer(42); // never set

        // Setting an id again replaces its period and kind.
        dialog.SetTimer(7, 10, TimerKind::OneShot);
        dialog.SetTimer(7, 20);
        window.events->PeerTimer(7);
        window.events->PeerTimer(7);
        EXPECT_EQ(window.timers, (std::map<int, unsigned>{{7, 20}}));
        dialog.EndDialog(kIdOk);
    };
    dialog.DoModal();
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"show 1", "timer 100", "timer 5", "timer 5",
                                                    "timer 7", "timer 7"}));
    EXPECT_TRUE(window.timers.empty());
}

TEST_F(DialogTest, KillingTheTimerInsideItsOwnTickStopsIt) {
    dialog.timer = [&](int id) { EXPECT_TRUE(dialog.KillTimer(id)); };
    window.duringLoop = [&] {
        dialog.SetTimer(100, 300);
        window.events->PeerTimer(100);
        window.events->PeerTimer(100);
        dialog.EndDialog(kIdOk);
    };
    dialog.DoModal();
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"show 1", "timer 100"}));
}

TEST_F(DialogTest, WindowStatesAndTheirQueries) {
    window.duringLoop = [&] {
        dialog.log.clear();
        EXPECT_TRUE(dialog.ShowWindow(kSwMaximize));
        EXPECT_TRUE(dialog.IsZoomed());
        EXPECT_FALSE(dialog.IsIconic());
        EXPECT_TRUE(dialog.ShowWindow(kSwMaximize)); // no change, no OnSize

        dialog.ShowWindow(kSwShowMinimized);
        EXPECT_TRUE(dialog.IsIconic());
        EXPECT_FALSE(dialog.IsZoomed());
        dialog.ShowWindow(kSwRestore); // back to the state before minimising
        EXPECT_TRUE(dialog.IsZoomed());

        dialog.ShowWindow(kSwMinimize);
        dialog.ShowWindow(kSwShowNormal); // normal, whatever came before
        EXPECT_FALSE(dialog.IsZoomed());
        EXPECT_FALSE(dialog.IsIconic());
        dialog.EndDialog(kIdOk);
    };
    dialog.init = [&] { dialog.MoveWindow(RectAt(0, 0, 800, 630)); };
    dialog.DoModal();
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"size 2 800x630", "size 1 800x630",
                                                    "size 2 800x630", "size 1 800x630",
                                                    "size 0 800x630"}));
    EXPECT_EQ(window.stateRequests,
              (std::vector<WindowState>{WindowState::Maximized, WindowState::Minimized,
                                        WindowState::Maximized, WindowState::Minimized,
                                        WindowState::Normal}));
}

TEST_F(DialogTest, ChangesMadeByThePlatformAreTrackedNotEchoed) {
    window.duringLoop = [&] {
        dialog.log.clear();
        dialog.ShowWindow(kSwMinimize);
        window.events->PeerStateChanged(WindowState::Normal); // restored from the taskbar
        EXPECT_FALSE(dialog.IsIconic());
        window.events->PeerMoved(RectAt(0, 0, 1280, 1000)); // the platform maximised it
        window.events->PeerStateChanged(WindowState::Maximized);
        EXPECT_TRUE(dialog.IsZoomed());
        window.events->PeerMoved(RectAt(5, 5, 1280, 1000)); // moved only: no OnSize
        EXPECT_EQ(dialog.GetWindowRect(), RectAt(5, 5, 1280, 1000));
        EXPECT_EQ(dialog.GetClientRect(), RectAt(0, 0, 1280, 1000));
        dialog.EndDialog(kIdOk);
    };
    dialog.init = [&] { dialog.MoveWindow(RectAt(0, 0, 720, 560)); };
    dialog.DoModal();
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"size 1 720x560", "size 0 720x560",
                                                    "size 0 1280x1000", "size 2 1280x1000"}));
    EXPECT_EQ(window.stateRequests, std::vector<WindowState>{WindowState::Minimized});
}

TEST_F(DialogTest, ShowAndHideAreAnnouncedBeforeTheyHappen) {
    window.duringLoop = [&] {
        EXPECT_TRUE(dialog.ShowWindow(kSwHide));
        EXPECT_FALSE(window.visible);
        EXPECT_FALSE(dialog.ShowWindow(kSwHide));
        EXPECT_FALSE(dialog.ShowWindow(kSwShowNormal));
        EXPECT_TRUE(window.visible);
        dialog.EndDialog(kIdOk);
    };
    dialog.DoModal();
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"show 1", "show 0 (was visible)", "show 1"}));
}

// A picture file of the given size, written by cairo.
std::string WritePng(const ScratchFolder& folder, const std::string& name, int width, int height) {
    const std::string path = folder / name;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    return path;
}

TEST_F(DialogTest, ControlsArePlacedInClientCoordinatesAndGoWithTheWindow) {
    ScratchFolder folder;
    const std::string up = WritePng(folder, "up.png", 21, 21);
    const std::string down = WritePng(folder, "down.png", 20, 19);
    const std::string strip = WritePng(folder, "strip.png", 722, 30);
    BitmapButton close;
    StaticPicture title;
    Rect closeOnScreen;
    dialog.init = [&] {
        dialog.MoveWindow(RectAt(0, 0, 800, 630));
        ASSERT_TRUE(title.Create(dialog, 1010));
        EXPECT_TRUE(title.LoadBitmap(strip));
        ASSERT_TRUE(close.Create(dialog, 1006));
        EXPECT_TRUE(close.LoadBitmaps(up, down, up));
        EXPECT_FALSE(close.Create(dialog, 1006)) << "created twice";
        close.MoveWindow(RectAt(775, 2, 1, 1));
        close.SizeToContent();
    };
    window.duringLoop = [&] {
        EXPECT_EQ(window.Control(1006)->rect, RectAt(775, 2, 21, 21));
        EXPECT_EQ(window.Control(1006)->bitmaps, (std::vector<std::string>{"21x21", "20x19", "21x21"}));
        EXPECT_EQ(window.Control(1010)->rect, RectAt(0, 0, 722, 30));
        window.events->PeerMoved(RectAt(100, 50, 800, 630));
        closeOnScreen = close.GetWindowRect();
        title.ShowWindow(kSwHide);
        EXPECT_FALSE(window.Control(1010)->visible);
        dialog.EndDialog(kIdOk);
    };
    dialog.DoModal();
    EXPECT_EQ(closeOnScreen, RectAt(875, 52, 21, 21));
    EXPECT_FALSE(window.Control(1006)->alive);
    EXPECT_FALSE(window.Control(1010)->alive);
    EXPECT_FALSE(close.IsCreated());
    close.MoveWindow(RectAt(0, 0, 5, 5)); // no window any more: nothing happens
    EXPECT_FALSE(close.LoadBitmaps(folder / "missing.png", ""));
}

TEST_F(DialogTest, AControlNeedsARunningDialog) {
    BitmapButton button;
    EXPECT_FALSE(button.Create(dialog, 1008));
    dialog.SetTimer(1, 10);
    EXPECT_FALSE(dialog.KillTimer(1));
}

} // namespace
