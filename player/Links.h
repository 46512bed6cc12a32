// Where the player's web view may go. Its page stays ours: a movie's links
// (getURL, navigateToURL, to any window) open in the reader's browser or
// mail program, as they did from the original player, and nothing else
// replaces or adds to the page. Display-free, so that the rules are tested on
// their own.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace player {

enum class Navigation {
    PlayerPage, // our page: the only one the view shows
    Link,       // http, https or mailto: to the desktop's default handler
    Refused,    // javascript:, file:, kest: and the rest
};

Navigation ClassifyNavigation(std::string_view uri);

// Links reach the desktop in the order the movie followed them, at most one
// a second, so that a movie cannot flood the reader with browser windows; a
// few wait their turn, and any beyond them are refused.
class LinkQueue {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{1000};
    static constexpr size_t kMaxWaiting = 5;

    // False, and the link is not kept, when kMaxWaiting links wait already.
    bool Add(std::string uri);
    // The link whose turn it is at `now`, taken from the queue.
    std::optional<std::string> TakeDue(Clock::time_point now);
    // How long after `now` the next waiting link is due (zero: it is due);
    // nothing when none waits.
    std::optional<std::chrono::milliseconds> NextDueIn(Clock::time_point now) const;

private:
    std::deque<std::string> waiting;
    std::optional<Clock::time_point> lastOpened;
};

} // namespace player
