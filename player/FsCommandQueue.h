// The movie's commands on their way to the host. Display-free, so that the
// bounds and the turn rule are tested on their own.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <utility>

namespace player {

// The movie's commands waiting for the host, at most; beyond that the movie
// sends faster than the host answers, and new commands are dropped.
inline constexpr size_t kMaxQueuedCommands = 1000;
inline constexpr size_t kMaxQueuedBytes = 16 << 20;

class FsCommandQueue {
public:
    using Deliver = std::function<void(const std::string& command, const std::string& args)>;

    // Queues a command unless the queue is full; the first command dropped
    // is told on standard error.
    void Add(std::string command, std::string args);

    // One turn: delivers the commands waiting now, in order. A handler that
    // calls into the player waits in a nested loop, where further commands
    // may arrive; they wait for the next turn, so that a movie that answers
    // every reply with another command cannot keep the window from ever
    // closing. True when commands wait for a next turn; a call made during
    // a turn returns false at once, and the turn's own call answers.
    bool DeliverTurn(const Deliver& deliver);

private:
    std::deque<std::pair<std::string, std::string>> waiting;
    size_t waitingBytes = 0;
    bool dropped = false;
    bool delivering = false;
};

} // namespace player
