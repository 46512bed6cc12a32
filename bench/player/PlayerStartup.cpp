// A small host program for the start-up benchmark: opens a window with the
// player, loads the movie given on the command line and exits at the movie's
// first fscommand. It prints, in milliseconds since the moment given as its
// first argument (CLOCK_REALTIME in nanoseconds, taken just before it was
// started), when each stage was reached.
#include "player/PlayerFiles.h"
#include "player/ProcessEnvironment.h"
#include "player/WebKitPlayer.h"

#include <gtk/gtk.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using player::WebKitPlayer;

struct Stopwatch {
    std::chrono::system_clock::time_point launched;
    std::chrono::steady_clock::time_point steadyNow = std::chrono::steady_clock::now();
    std::chrono::system_clock::time_point systemNow = std::chrono::system_clock::now();

    double Since(std::chrono::steady_clock::time_point at) const {
        const auto wall = systemNow + (at - steadyNow);
        return std::chrono::duration<double, std::milli>(wall - launched).count();
    }
    double Since(const std::optional<std::chrono::steady_clock::time_point>& at) const {
        return at ? Since(*at) : -1;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s LAUNCH_NS MOVIE\n", argv[0]);
        return 2;
    }
    Stopwatch clock;
    clock.launched = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::nanoseconds(std::strtoll(argv[1], nullptr, 10))));
    const auto mainEntered = std::chrono::steady_clock::now();
    player::PrepareProcess();
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fputs("no display\n", stderr);
        return 1;
    }
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(window), 640, 480);
    GtkWidget* layout = gtk_layout_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(window), layout);
    bool started = false;
    {
        WebKitPlayer player(layout, player::PlayerFolderFromEnvironment());
        player.Move({0, 0, 640, 480});
        player.SetFsCommandHandler([&](const std::string&, const std::string&) { started = true; });
        player.LoadMovie(0, argv[2]);
        player.Play();
        gtk_widget_show_all(window);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!started && std::chrono::steady_clock::now() < deadline) {
            g_main_context_iteration(nullptr, TRUE);
        }
        const auto& times = player.Times();
        std::printf("main %.1f window %.1f page %.1f ruffle %.1f movie %.1f fscommand %.1f\n",
                    clock.Since(mainEntered), clock.Since(times.created), clock.Since(times.pageReady),
                    clock.Since(times.ruffleReady), clock.Since(times.movieLoaded),
                    clock.Since(times.firstFsCommand));
    }
    gtk_widget_destroy(window);
    return started ? 0 : 1;
}
