// SIGTERM, SIGHUP and SIGINT (a logout, kill, Ctrl-C) while a magazine is
// open must not leave its Workspace behind. They are held back while the
// Workspace is being filled or removed, and turned into a request to close
// the window while it runs; once the Workspace is gone, the process ends by
// the signal as it would have.
#pragma once

#include <functional>

namespace app {

class TerminationSignals {
public:
    // Holds the signals back from here on.
    TerminationSignals();
    // Ends the process by a signal that came; otherwise lets the signals
    // through again.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Until HoldBack, a signal calls `close` from the main loop.
    void DeliverTo(std::function<void()> close);
    void HoldBack();

private:
    std::function<void()> closeWindow;
    unsigned sources[3] = {};
    int received = 0;
};

} // namespace app
