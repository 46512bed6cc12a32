#include "ui/Dialog.h"
#include "FakeWindowSystem.h"
#include "viewer/CShockwaveflash1.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

namespace {

using namespace viewer;

using namespace ui;

class PlayerDialog : public Dialog {
public:
    using Dialog::Dialog;
    CShockwaveflash1 player;
    std::vector<std::string> commands;

protected:
    bool OnInitDialog() override {
        EXPECT_TRUE(player.Create(*this, 1000));
        player.SetFsCommandHandler([this](const std::string& command, const std::string& args) {
            commands.push_back(command + "|" + args);
        });
        player.LoadMovie(0, "/tmp/\xD4\xC4.swf"); // bytes of the file name, unchanged
        player.Play();
        return true;
    }
};

// "中文" in code page 936 and in UTF-8.
const std::string kGbk = "\xD6\xD0\xCE\xC4";
const std::string kUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";

TEST(PlayerWrapper, TextsCrossInTheCodePageOnTheHostSide) {
    // Under a GBK locale, as the design's hosts had it.
    platform::SetHostEncoding("GBK");
    fake::WindowSystem system;
    PlayerDialog dialog(system);
    std::string answer;
    system.window.player.answer = [](const std::string& request) {
        return "<string>" + request.substr(0, 6) + "</string>";
    };
    system.window.duringLoop = [&] {
        system.window.player.fsCommand("readreg", kUtf8 + "|x");
        answer = dialog.player.CallFunction(kGbk + "<invoke/>");
        dialog.EndDialog(kIdOk);
    };
    dialog.DoModal();
    EXPECT_EQ(system.window.player.calls,
              (std::vector<std::string>{"LoadMovie 0 /tmp/\xD4\xC4.swf", "Play",
                                        "CallFunction " + kUtf8 + "<invoke/>"}));
    EXPECT_EQ(dialog.commands, std::vector<std::string>{"readreg|" + kGbk + "|x"});
    EXPECT_EQ(answer, "<string>" + kGbk + "</string>");
    // After the window is gone the wrapper answers nothing and calls nothing.
    EXPECT_EQ(dialog.player.CallFunction("<invoke/>"), "");
    platform::SetHostEncoding("UTF-8");
}

TEST(PlayerWrapper, TextsPassUnchangedUnderUtf8AndStrayBytesNeverReachThePlayer) {
    fake::WindowSystem system;
    PlayerDialog dialog(system);
    system.window.duringLoop = [&] {
        system.window.player.fsCommand("readreg", kUtf8);
        (void)dialog.player.CallFunction(kUtf8 + "\xFF<invoke/>");
        dialog.EndDialog(kIdOk);
    };
    dialog.DoModal();
    EXPECT_EQ(dialog.commands, std::vector<std::string>{"readreg|" + kUtf8});
    EXPECT_EQ(system.window.player.calls.back(), "CallFunction " + kUtf8 + "\xEF\xBF\xBD<invoke/>");
}

} // namespace
