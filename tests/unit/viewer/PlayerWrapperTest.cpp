#include "ui/Dialog.h"
#include "FakeWindowSystem.h"
#include "viewer/CShockwaveflash1.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

namespace {

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

// Runs one command and one call through the wrapper under the host's encoding.
struct Crossing {
    std::vector<std::string> calls;
    std::vector<std::string> commands;
    std::string answer;
};

Crossing Cross(const std::string& commandArgs, const std::string& request) {
    fake::WindowSystem system;
    PlayerDialog dialog(system);
    Crossing seen;
    system.window.player.answer = [](const std::string& call) {
        return "<string>" + call.substr(0, 6) + "</string>";
    };
    system.window.duringLoop = [&] {
        system.window.player.fsCommand("readreg", commandArgs);
        seen.answer = dialog.player.CallFunction(request);
        dialog.EndDialog(kIdOk);
    };
    dialog.DoModal();
    seen.calls = system.window.player.calls;
    seen.commands = dialog.commands;
    return seen;
}

TEST(PlayerWrapper, TextsCrossInTheHostsEncoding) {
    // UTF-8 on current desktops: texts pass unchanged, stray bytes toward the
    // player become U+FFFD.
    const Crossing seen = Cross(kUtf8 + "|x", kUtf8 + "\xFF<invoke/>");
    EXPECT_EQ(seen.commands, std::vector<std::string>{"readreg|" + kUtf8 + "|x"});
    EXPECT_EQ(seen.calls.back(), "CallFunction " + kUtf8 + "\xEF\xBF\xBD<invoke/>");
    EXPECT_EQ(seen.answer, "<string>" + kUtf8 + "</string>");
}

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

} // namespace
