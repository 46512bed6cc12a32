#include "ProbeWindow.h"

#include <gtk/gtk.h>

#include <chrono>

namespace {

constexpr int kStepsTimer = 1;
constexpr int kGiveUpTimer = 2;
constexpr int kPlayerId = 1000;

} // namespace

bool ProbeWindow::OnInitDialog() {
    using platform::ui::RectAt;
    MoveWindow(RectAt(0, 0, 640, 510));
    if (!player.Create(*this, kPlayerId)) {
        EndDialog(-1);
        return true;
    }
    player.MoveWindow(RectAt(0, 30, 640, 480));
    player.SetFsCommandHandler(
        [this](const std::string& command, const std::string& args) { OnFsCommand(command, args); });
    player.LoadMovie(0, moviePath);
    player.Play();
    SetTimer(kGiveUpTimer, 30000, platform::ui::TimerKind::OneShot);
    return true;
}

void ProbeWindow::OnFsCommand(const std::string& command, const std::string& args) {
    commands.push_back(command + "|" + args);
    if (command == "probe_started") {
        SetTimer(kStepsTimer, 1, platform::ui::TimerKind::OneShot);
    }
}

void ProbeWindow::OnTimer(int id) {
    if (id == kGiveUpTimer) {
        EndDialog(kResultTimeout);
        return;
    }
    KillTimer(kGiveUpTimer);
    if (steps) {
        steps();
    }
    EndDialog(platform::ui::kIdOk);
}

void ProbeWindow::Pump(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(2000);
    }
}

bool ProbeWindow::WaitForCommands(size_t count, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (commands.size() < count && std::chrono::steady_clock::now() < end) {
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(1000);
    }
    return commands.size() >= count;
}
