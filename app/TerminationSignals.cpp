#include "app/TerminationSignals.h"

#include <glib-unix.h>

#include <csignal>

namespace app {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

void SetBlocked(bool blocked) {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kSignals) {
        sigaddset(&set, signal);
    }
    pthread_sigmask(blocked ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

struct Delivery {
    TerminationSignals* self;
    int signal;
};

} // namespace

TerminationSignals::TerminationSignals() { SetBlocked(true); }

TerminationSignals::~TerminationSignals() {
    HoldBack();
    for (const int signal : kSignals) {
        std::signal(signal, SIG_DFL);
    }
    // A signal still pending ends the process as soon as it is let through.
    SetBlocked(false);
    if (received != 0) {
        std::raise(received);
    }
}

void TerminationSignals::DeliverTo(std::function<void()> close) {
    closeWindow = std::move(close);
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        sources[i] = g_unix_signal_add_full(
            G_PRIORITY_HIGH, kSignals[i],
            [](gpointer data) -> gboolean {
                auto* delivery = static_cast<Delivery*>(data);
                TerminationSignals& self = *delivery->self;
                if (self.received == 0) {
                    self.received = delivery->signal;
                    if (self.closeWindow) {
                        self.closeWindow();
                    }
                }
                return G_SOURCE_CONTINUE;
            },
            new Delivery{this, kSignals[i]}, [](gpointer data) { delete static_cast<Delivery*>(data); });
    }
    SetBlocked(false);
}

void TerminationSignals::HoldBack() {
    SetBlocked(true);
    for (unsigned& source : sources) {
        if (source != 0) {
            g_source_remove(source);
            source = 0;
        }
    }
    closeWindow = nullptr;
}

} // namespace app
