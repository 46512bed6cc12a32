// SIGTERM, SIGHUP and SIGINT (a logout, kill, Ctrl-C) while a magazine is
// open must not leave its Workspace behind. From start-up on they are only
// recorded; whoever waits (the extraction, the window, a message box) looks
// for one and gives up; once the Workspace is gone, the process ends by the
// signal as it would have. A signal that the process
// was started with ignored (nohup, a background job) stays ignored.
#pragma once

#include <functional>

namespace app {

class TerminationSignals {
public:
    // Made before anything else in viewer mode; only one may exist.
    TerminationSignals();
    // Ends the process by the signal that came, if one did.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool Received() const;

    // Until HoldBack or the next DeliverTo, a signal (or one that came
    // already) calls `close` from the main loop.
    void DeliverTo(std::function<void()> close);
    void HoldBack();

private:
    std::function<void()> onSignal;
    int wakeRead = -1;
    unsigned source = 0;
};

} // namespace app
