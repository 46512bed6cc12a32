#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace app {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
// Without a wake-up pipe the main loop looks for a signal this often.
constexpr unsigned kLookMs = 100;

// What the handler may touch: it runs on whichever thread the signal hits
// (the web engine starts threads before main), so it only records and wakes.
std::atomic<int> receivedSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);
int wakeWrite = -1;

void Record(int signal) {
    const int savedError = errno;
    int none = 0;
    (void)receivedSignal.compare_exchange_strong(none, signal);
    const char byte = 1;
    (void)!write(wakeWrite, &byte, 1);
    errno = savedError;
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
    HoldBack();
    onSignal = std::move(close);
    if (wakeRead < 0) {
        source = g_timeout_add(
            kLookMs,
            [](gpointer data) -> gboolean {
                auto& self = *static_cast<TerminationSignals*>(data);
                if (self.Received()) {
                    self.onSignal();
                }
                return G_SOURCE_CONTINUE;
            },
            this);
        return;
    }
    source = g_unix_fd_add(
        wakeRead, G_IO_IN,
        [](int fd, GIOCondition, gpointer data) -> gboolean {
            char bytes[16];
            while (read(fd, bytes, sizeof bytes) > 0) {
            }
            static_cast<TerminationSignals*>(data)->onSignal();
            return G_SOURCE_CONTINUE;
        },
        this);
}

void TerminationSignals::HoldBack() {
    if (source != 0) {
        g_source_remove(source);
        source = 0;
    }
    onSignal = nullptr;
}

} // namespace app
