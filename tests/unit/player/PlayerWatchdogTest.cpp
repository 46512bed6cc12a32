#include "player/PlayerWatchdog.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using player::PlayerWatchdog;

// Runs the default main context for about `time`.
void RunFor(std::chrono::milliseconds time) {
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end) {
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(2000);
    }
}

struct Watched {
    std::vector<std::string> restarts;
    std::vector<std::string> gaveUp;
    PlayerWatchdog watchdog{[this](const std::string& why) {
                                restarts.push_back(why);
                                watchdog.Arm();
                            },
                            [this](const std::string& why) { gaveUp.push_back(why); }, 100ms};
};

TEST(PlayerWatchdog, AStalledStartIsTriedAgainThenGivenUpAndProgressPostponesIt) {
    Watched stalled;
    stalled.watchdog.Arm();
    RunFor(60ms);
    stalled.watchdog.Progress();
    RunFor(60ms);
    EXPECT_TRUE(stalled.restarts.empty()); // 120 ms, but moving
    RunFor(600ms);
    EXPECT_EQ(stalled.restarts.size(), static_cast<size_t>(player::kStartTries - 1));
    ASSERT_EQ(stalled.gaveUp.size(), 1u);
    EXPECT_NE(stalled.gaveUp[0].find("no progress"), std::string::npos);
    stalled.watchdog.Failed("late"); // nothing after giving up
    EXPECT_EQ(stalled.gaveUp.size(), 1u);

    Watched running;
    running.watchdog.Arm();
    running.watchdog.Failed("crashed");
    running.watchdog.Satisfied();
    running.watchdog.Progress(); // not watching: no timer again
    RunFor(250ms);
    EXPECT_EQ(running.restarts, std::vector<std::string>{"crashed"});
    EXPECT_TRUE(running.gaveUp.empty());
}

} // namespace
