// Counts the frames that reach the screen: the X server's damage reports on
// the root window (its inferiors included) over a number of seconds, one
// frame per burst of reports (reports less than 4 ms apart belong to one
// frame). Usage: kest_frame_counter SECONDS; prints the frames per second.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 0;
    Display* display = XOpenDisplay(nullptr);
    int eventBase = 0;
    int errorBase = 0;
    if (seconds <= 0 || display == nullptr || !XDamageQueryExtension(display, &eventBase, &errorBase)) {
        std::fputs("usage: kest_frame_counter SECONDS (on a display with the damage extension)\n", stderr);
        return 2;
    }
    const Damage damage = XDamageCreate(display, DefaultRootWindow(display), XDamageReportNonEmpty);
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    auto lastReport = Clock::time_point();
    long frames = 0;
    for (auto now = Clock::now(); now < end; now = Clock::now()) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == eventBase + XDamageNotify) {
                XDamageSubtract(display, damage, None, None);
                const auto at = Clock::now();
                if (at - lastReport > std::chrono::milliseconds(4)) {
                    ++frames;
                }
                lastReport = at;
            }
        }
        pollfd wait = {ConnectionNumber(display), POLLIN, 0};
        poll(&wait, 1, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count()) + 1);
    }
    std::printf("%.1f\n", static_cast<double>(frames) / seconds);
    XDamageDestroy(display, damage);
    XCloseDisplay(display);
    return 0;
}
