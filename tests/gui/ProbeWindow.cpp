#include "ProbeWindow.h"

#include <gtk/gtk.h>

#include <chrono>

namespace {

constexpr int kStepsTimer = 1;
constexpr int kGiveUpTimer = 2;
constexpr int kPlayerId = 1000;

} // namespace

bool ProbeWindow::OnInitDialog() {
    using ui::RectAt;
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
    SetTimer(kGiveUpTimer, 30000, ui::TimerKind::OneShot);
    if (stepsAtStart) {
        SetTimer(kStepsTimer, 1, ui::TimerKind::OneShot);
    }
    return true;
}

void ProbeWindow::OnFsCommand(const std::string& command, const std::string& args) {
    commands.push_back(command + "|" + args);
    if (command == "probe_started") {
        SetTimer(kStepsTimer, 1, ui::TimerKind::OneShot);
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
    EndDialog(ui::kIdOk);
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

// Real input through the X server (XTest), as a person's would arrive. The
// window keeps handling its events meanwhile: a drag needs its answer to the
// press while the button is still down.
bool ProbeWindow::Xdotool(const std::string& arguments) {
    const std::string command = "xdotool " + arguments;
    GPid child = 0;
    gchar** argv = nullptr;
    if (!g_shell_parse_argv(command.c_str(), nullptr, &argv, nullptr)) {
        return false;
    }
    const gboolean started = g_spawn_async(nullptr, argv, nullptr,
                                           GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD),
                                           nullptr, nullptr, &child, nullptr);
    g_strfreev(argv);
    if (!started) {
        return false;
    }
    bool done = false;
    g_child_watch_add(
        child, +[](GPid pid, gint, gpointer flag) {
            *static_cast<bool*>(flag) = true;
            g_spawn_close_pid(pid);
        },
        &done);
    while (!done) {
        Pump(10);
    }
    return true;
}
