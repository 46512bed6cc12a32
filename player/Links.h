// Where the player's web view may go. Its page stays ours: a movie's links
// (getURL, navigateToURL, to any window) open in the reader's browser or
// mail program, as they did from the original player, and nothing else
// replaces or adds to the page. Display-free, so that the rules are tested on
// their own.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace player {

enum class Navigation {
    PlayerPage, // our page: the only one the view shows
    Link,       // http, https or mailto: to the desktop's default handler
    Refused,    // javascript:, file:, kest: and the rest
};

Navigation ClassifyNavigation(std::string_view uri);

// At most one link a second reaches the desktop, so that a movie cannot
// flood the reader with browser windows.
class LinkThrottle {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{1000};

    bool Allow(Clock::time_point now);

private:
    Clock::time_point last{};
    bool opened = false;
};

} // namespace player
