#include "player/FsCommandQueue.h"

#include <cstdio>

namespace player {

void FsCommandQueue::Add(std::string command, std::string args) {
    const size_t bytes = command.size() + args.size();
    if (waiting.size() >= kMaxQueuedCommands || waitingBytes + bytes > kMaxQueuedBytes) {
        if (!dropped) {
            std::fputs("kest: the movie sends commands faster than they are answered; some are dropped\n", stderr);
            dropped = true;
        }
        return;
    }
    waiting.emplace_back(std::move(command), std::move(args));
    waitingBytes += bytes;
}

bool FsCommandQueue::DeliverTurn(const Deliver& deliver) {
    if (delivering) {
        return false;
    }
    delivering = true;
    for (size_t count = waiting.size(); count > 0; --count) {
        const auto [command, args] = std::move(waiting.front());
        waiting.pop_front();
        waitingBytes -= command.size() + args.size();
        if (deliver) {
            deliver(command, args);
        }
    }
    delivering = false;
    return !waiting.empty();
}

} // namespace player
