#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <unistd.h>

#include <csignal>

namespace app {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// What the handler may touch: it runs on whichever thread the signal hits
// (the web engine starts threads before main), so it only records and wakes.
volatile std::sig_atomic_t receivedSignal = 0;
int wakeWrite = -1;

void Record(int signal) {
    if (receivedSignal == 0) {
        receivedSignal = signal;
    }
    const char byte = 1;
    (void)!write(wakeWrite, &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead = ends[0];
        wakeWrite = ends[1];
    }
    for (const int signal : kSignals) {
        struct sigaction previous {};
        sigaction(signal, nullptr, &previous);
        if (previous.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = Record;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals() {
    HoldBack();
    for (const int signal : kSignals) {
        struct sigaction current {};
        sigaction(signal, nullptr, &current);
        if (current.sa_handler == Record) {
            std::signal(signal, SIG_DFL);
        }
    }
    close(wakeRead);
    close(wakeWrite);
    wakeWrite = -1;
    if (receivedSignal != 0) {
        std::raise(receivedSignal);
    }
}

bool TerminationSignals::Received() const { return receivedSignal != 0; }

void TerminationSignals::DeliverTo(std::function<void()> close) {
    closeWindow = std::move(close);
    if (wakeRead < 0) {
        return;
    }
    source = g_unix_fd_add(
        wakeRead, G_IO_IN,
        [](int fd, GIOCondition, gpointer data) -> gboolean {
            char bytes[16];
            while (read(fd, bytes, sizeof bytes) > 0) {
            }
            auto& self = *static_cast<TerminationSignals*>(data);
            if (self.closeWindow) {
                self.closeWindow();
            }
            return G_SOURCE_CONTINUE;
        },
        this);
}

void TerminationSignals::HoldBack() {
    if (source != 0) {
        g_source_remove(source);
        source = 0;
    }
    closeWindow = nullptr;
}

} // namespace app
