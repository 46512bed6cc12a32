// Watches a player's start: a start that makes no progress (a file served,
// the page running, Ruffle ready) for kStartBound before the movie runs, and
// failures reported to it (a web process that ended, a player that could not
// start Ruffle), make it ask for a fresh start, at most kStartTries tries in
// all; then it gives up.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace player {

// A start takes about 2 s on a small machine; its longest step, compiling
// Ruffle's WebAssembly, about 1 s, and several times that on a loaded one.
inline constexpr std::chrono::milliseconds kStartBound{10000};
inline constexpr int kStartTries = 3;

class PlayerWatchdog {
public:
    using Action = std::function<void(const std::string& why)>;

    // `restart` must start the player afresh and call Arm; `giveUp` ends the
    // watch for good.
    PlayerWatchdog(Action restart, Action giveUp, std::chrono::milliseconds bound = kStartBound);
    ~PlayerWatchdog();
    PlayerWatchdog(const PlayerWatchdog&) = delete;
    PlayerWatchdog& operator=(const PlayerWatchdog&) = delete;

    // A try begins; the bound runs from now.
    void Arm();
    // Something new is to start within the current try (a movie asked for
    // after the page ran); the bound runs from now.
    void Expect();
    // The start moved on: the bound runs from now, if a start is watched.
    void Progress();
    // What was expected runs.
    void Satisfied();
    // The try failed: start again, or give up after the last try.
    void Failed(const std::string& why);
    // No more tries: gives up at once.
    void GiveUp(const std::string& why);

private:
    void StartTimer();
    void StopTimer();

    Action restart;
    Action giveUp;
    std::chrono::milliseconds bound;
    unsigned timer = 0;
    int tries = 0;
    bool gaveUp = false;
};

} // namespace player
