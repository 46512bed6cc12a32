#include "player/PlayerWatchdog.h"

#include <glib.h>

#include <utility>

namespace player {

PlayerWatchdog::PlayerWatchdog(Action restartAction, Action giveUpAction, std::chrono::milliseconds startBound)
    : restart(std::move(restartAction)), giveUp(std::move(giveUpAction)), bound(startBound) {}

PlayerWatchdog::~PlayerWatchdog() { StopTimer(); }

void PlayerWatchdog::Arm() {
    ++tries;
    StartTimer();
}

void PlayerWatchdog::Expect() {
    if (!gaveUp) {
        StartTimer();
    }
}

void PlayerWatchdog::Progress() {
    if (timer != 0) {
        StartTimer();
    }
}

void PlayerWatchdog::Satisfied() { StopTimer(); }

void PlayerWatchdog::Failed(const std::string& why) {
    if (gaveUp) {
        return;
    }
    StopTimer();
    if (tries >= kStartTries) {
        GiveUp(why);
        return;
    }
    restart(why);
}

void PlayerWatchdog::GiveUp(const std::string& why) {
    if (gaveUp) {
        return;
    }
    StopTimer();
    gaveUp = true;
    giveUp(why);
}

void PlayerWatchdog::StartTimer() {
    StopTimer();
    timer = g_timeout_add(static_cast<guint>(bound.count()), +[](gpointer self) -> gboolean {
        auto* watchdog = static_cast<PlayerWatchdog*>(self);
        watchdog->timer = 0;
        watchdog->Failed("its start made no progress for " + std::to_string(watchdog->bound.count()) + " ms");
        return G_SOURCE_REMOVE;
    }, this);
}

void PlayerWatchdog::StopTimer() {
    if (timer != 0) {
        g_source_remove(timer);
        timer = 0;
    }
}

} // namespace player
