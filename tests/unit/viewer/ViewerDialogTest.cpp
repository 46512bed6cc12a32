#include "TestSupport.h"
#include "ui/FakeWindowSystem.h"
#include "viewer/InvokeMessages.h"
#include "viewer/ViewerDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using namespace viewer;

using namespace ui;

constexpr char kTurnNext[] =
    "CallFunction <invoke name=\"turn_next\"  returntype=\"xml\"><arguments></arguments></invoke>";
constexpr char kTurnPrevious[] =
    "CallFunction <invoke name=\"turn_prv\"  returntype=\"xml\"><arguments></arguments></invoke>";

// A magazine folder with a manifest and an entrance movie, and a viewer
// window over it on the display-free window system.
class ViewerDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterBuiltInBitmaps();
        WriteWholeFile(scratch / "read.swf", "FWS");
        SetManifest("<Book entrance=\"read.swf\" width=\"800\" height=\"600\" bgimg=\"other.jpg\"/>");
    }

    void SetManifest(const std::string& text) { ASSERT_TRUE(manifest.SetText(text)); }

    // Runs the window; `during` runs inside its loop.
    int Run(std::function<void(ViewerDialog&)> during) {
        dialog = std::make_unique<ViewerDialog>(system, package::ContentFiles(scratch.Path()), ReadBookSettings(manifest),
                                                [this] { ++statisticsRequests; });
        window.duringLoop = [this, during] { during(*dialog); };
        return dialog->DoModal();
    }

    Rect ControlRect(int id) { return window.Control(id)->rect; }
    std::vector<std::string> Calls() const { return window.player.calls; }

    ScratchFolder scratch;
    markup::MarkupDoc manifest;
    fake::WindowSystem system;
    fake::WindowRecord& window = system.window;
    std::unique_ptr<ViewerDialog> dialog;
    int statisticsRequests = 0;
};

TEST_F(ViewerDialogTest, LayoutFollowsTheManifestSize) {
    Rect windowRect;
    const int result = Run([&](ViewerDialog& d) {
        windowRect = d.GetWindowRect();
        d.OnFSCommand("close_window", "ignored");
    });
    EXPECT_EQ(result, kIdOk);
    EXPECT_EQ(windowRect, RectAt(0, 0, 800, 630));
    EXPECT_EQ(ControlRect(kIdPlayer), RectAt(0, 30, 800, 600));
    EXPECT_EQ(ControlRect(kIdCloseButton), RectAt(775, 2, 21, 21));
    EXPECT_EQ(ControlRect(kIdMaximizeButton), RectAt(750, 2, 21, 21));
    EXPECT_EQ(ControlRect(kIdMinimizeButton), RectAt(726, 2, 20, 21));
    EXPECT_EQ(ControlRect(kIdNextButton), RectAt(662, 5, 48, 14));
    EXPECT_EQ(ControlRect(kIdPreviousButton), RectAt(610, 5, 48, 14));
    EXPECT_EQ(ControlRect(kIdTitleStrip), RectAt(0, 0, 722, 30));
    EXPECT_TRUE(window.hasIcon);
    EXPECT_EQ(statisticsRequests, 1);
    ASSERT_GE(Calls().size(), 2u);
    EXPECT_EQ(Calls()[0], "LoadMovie 0 " + scratch.Path() + "/read.swf");
    EXPECT_EQ(Calls()[1], "Play");
}

TEST_F(ViewerDialogTest, OtherSizesAndSloppyNumbers) {
    SetManifest("<Book width=\" +720px\" height=\"530\" entrance=\"read.swf\"></Book>");
    Rect windowRect;
    Run([&](ViewerDialog& d) {
        windowRect = d.GetWindowRect();
        d.OnFSCommand("Quit", "");
    });
    EXPECT_EQ(windowRect, RectAt(0, 0, 720, 560));
    EXPECT_EQ(ControlRect(kIdCloseButton).left, 695);
}

TEST_F(ViewerDialogTest, MissingEntranceIsAPackageError) {
    std::filesystem::remove(scratch / "read.swf");
    EXPECT_EQ(Run([](ViewerDialog&) {}), kViewerPackageError);
    EXPECT_EQ(window.messageBoxes, std::vector<std::string>{"提示: 杂志包错误！"});
    EXPECT_EQ(statisticsRequests, 1);
    EXPECT_EQ(window.loopsRun, 0);
    // The player is still asked to load the missing file.
    EXPECT_EQ(Calls().at(0), "LoadMovie 0 " + scratch.Path() + "/read.swf");

    SetManifest("<Magazine/>");
    EXPECT_EQ(Run([](ViewerDialog&) {}), kViewerPackageError);
}

TEST_F(ViewerDialogTest, MaximiseRestoreAndCancel) {
    std::vector<std::string> steps;
    const int result = Run([&](ViewerDialog& d) {
        d.OnFSCommand("max_window", "");
        steps.push_back(std::string(d.IsZoomed() ? "max" : "normal") +
                        (window.Control(kIdTitleStrip)->visible ? " title" : ""));
        window.events->PeerCommand(kIdCancel); // restores
        steps.push_back(std::string(d.IsZoomed() ? "max" : "normal") +
                        (window.Control(kIdTitleStrip)->visible ? " title" : ""));
        window.events->PeerCommand(kIdMaximizeButton);
        d.OnFSCommand("max_window", "");
        steps.push_back(d.IsZoomed() ? "max" : "normal");
        window.events->PeerCommand(kIdMinimizeButton);
        steps.push_back(d.IsIconic() ? "min" : "not min");
        d.ShowWindow(kSwRestore);
        steps.push_back(d.IsIconic() ? "min" : "back");
        window.events->PeerCommand(kIdCancel); // closes
    });
    EXPECT_EQ(result, kIdCancel);
    EXPECT_EQ(steps, (std::vector<std::string>{"max", "normal title", "normal", "min", "back"}));
    EXPECT_EQ(ControlRect(kIdPlayer), RectAt(0, 30, 800, 600));
}

TEST_F(ViewerDialogTest, BackgroundCallIsSentOnceWithTheOffsetAndDesktop) {
    Run([&](ViewerDialog& d) {
        EXPECT_EQ(window.timers.at(kViewerBackgroundTimer), kViewerBackgroundDelay);
        window.events->PeerTimer(kViewerBackgroundTimer);
        window.events->PeerTimer(kViewerBackgroundTimer); // already killed
        d.OnFSCommand("close_window", "");
    });
    const std::string bg =
        "CallOnStart <invoke name=\"bg\"  returntype=\"xml\"><arguments><string>-0</string>"
        "<string>-30</string><string>1024</string><string>768</string></arguments></invoke>";
    const std::vector<std::string> calls = Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), bg), 1);
}

TEST_F(ViewerDialogTest, PageKeysAndButtonsTurnPages) {
    Run([&](ViewerDialog& d) {
        window.player.calls.clear();
        for (unsigned key : {kVkRight, kVkNext, kVkLeft, kVkPrior, kVkUp, kVkSpace}) {
            window.events->PeerKeyDown(key, 1, 0);
        }
        window.events->PeerKeyDown(kVkRight, 1, kKeyWasDown); // auto-repeat turns again
        window.events->PeerCommand(kIdNextButton);
        window.events->PeerCommand(kIdPreviousButton);
        d.OnFSCommand("close_window", "");
    });
    EXPECT_EQ(Calls(), (std::vector<std::string>{kTurnNext, kTurnNext, kTurnPrevious, kTurnPrevious,
                                                  kTurnNext, kTurnNext, kTurnPrevious}));
}

TEST_F(ViewerDialogTest, HitTestDragsOnlyANormalWindow) {
    std::vector<int> answers;
    Run([&](ViewerDialog& d) {
        answers.push_back(window.events->PeerHitTest({5, 5}));
        d.ToggleMaximize();
        answers.push_back(window.events->PeerHitTest({5, 5}));
        window.events->PeerCommand(kIdCloseButton);
    });
    EXPECT_EQ(answers, (std::vector<int>{kHtCaption, kHtClient}));
}

TEST_F(ViewerDialogTest, CommandsAreMatchedExactly) {
    testing::internal::CaptureStdout();
    const int result = Run([&](ViewerDialog& d) {
        for (const char* command : {"quit", "CLOSE_WINDOW", "max_scene", "fullscreen", "Readreg"}) {
            d.OnFSCommand(command, "a|b");
        }
        EXPECT_FALSE(d.IsZoomed());
        window.events->PeerCommand(kIdCloseButton);
    });
    EXPECT_EQ(result, kIdOk);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "command: quit | args: a|b\ncommand: CLOSE_WINDOW | args: a|b\n"
              "command: Readreg | args: a|b\n");
}

TEST_F(ViewerDialogTest, HostCommandsReplyThroughHdgetreg) {
    const std::string registry = scratch / "registry.sqlite";
    setenv("KEST_REGISTRY", registry.c_str(), 1);
    WriteWholeFile(scratch / "source.txt", "copy me");
    Run([&](ViewerDialog& d) {
        window.player.calls.clear();
        d.OnFSCommand("writereg", "HKEY_CURRENT_USER|Software\\Kest|Value|a<b&c>d");
        d.OnFSCommand("readreg", "HKEY_CURRENT_USER|Software\\Kest|Value");
        d.OnFSCommand("readreg", "HKEY_CURRENT_USER|Software\\Kest|Missing");
        d.OnFSCommand("CopyFile", scratch / "source.txt" + "|" + scratch / "copy.txt");
        d.OnFSCommand("close_window", "");
        d.OnFSCommand("readreg", "HKEY_CURRENT_USER|Software\\Kest|Value"); // closing: unanswered
    });
    unsetenv("KEST_REGISTRY");
    const std::string prefix = "CallFunction <invoke name=\"hdgetreg\" returntype=\"xml\"><arguments><string>";
    const std::string suffix = "</string></arguments></invoke>";
    EXPECT_EQ(Calls(), (std::vector<std::string>{prefix + "regwritesuccess" + suffix,
                                                  prefix + "a&lt;b&amp;c&gt;d" + suffix,
                                                  prefix + "regreadfail" + suffix,
                                                  prefix + "copyfilesuccess" + suffix}));
    EXPECT_EQ(ReadWholeFile(scratch / "copy.txt"), "copy me");
}

TEST(InvokeMessages, Texts) {
    EXPECT_EQ(BackgroundMessage(-5, 30, 1280, 1024),
              "<invoke name=\"bg\"  returntype=\"xml\"><arguments><string>--5</string>"
              "<string>-30</string><string>1280</string><string>1024</string></arguments></invoke>");
    // A reply of any length is sent whole.
    const std::string longReply(5000, 'x');
    EXPECT_NE(ReplyMessage(longReply).find(longReply + "</string>"), std::string::npos);
}

} // namespace
