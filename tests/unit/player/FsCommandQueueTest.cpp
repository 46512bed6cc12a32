#include "player/FsCommandQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace player;

TEST(FsCommandQueueTest, CommandsBeyondTheCountOrTheBytesAreDropped) {
    FsCommandQueue queue;
    for (size_t i = 0; i <= kMaxQueuedCommands; ++i) {
        queue.Add("c", std::to_string(i));
    }
    std::vector<std::string> delivered;
    EXPECT_FALSE(queue.DeliverTurn([&](const std::string&, const std::string& args) { delivered.push_back(args); }));
    ASSERT_EQ(delivered.size(), kMaxQueuedCommands);
    EXPECT_EQ(delivered.back(), std::to_string(kMaxQueuedCommands - 1));

    // Delivered commands free their bytes.
    queue.Add("big", std::string(kMaxQueuedBytes - 3, 'x'));
    queue.Add("", "y");
    delivered.clear();
    queue.DeliverTurn([&](const std::string& command, const std::string&) { delivered.push_back(command); });
    EXPECT_EQ(delivered, std::vector<std::string>{"big"});
}

TEST(FsCommandQueueTest, CommandsSentWhileOneIsHandledWaitForTheNextTurn) {
    FsCommandQueue queue;
    queue.Add("first", "");
    queue.Add("second", "");
    std::vector<std::string> delivered;
    const FsCommandQueue::Deliver handler = [&](const std::string& command, const std::string&) {
        delivered.push_back(command);
        // The handler's call into the player lets the movie send another.
        queue.Add(command + " reply", "");
        EXPECT_FALSE(queue.DeliverTurn(handler));
    };
    EXPECT_TRUE(queue.DeliverTurn(handler));
    EXPECT_EQ(delivered, (std::vector<std::string>{"first", "second"}));
    EXPECT_TRUE(queue.DeliverTurn(handler));
    EXPECT_EQ(delivered, (std::vector<std::string>{"first", "second", "first reply", "second reply"}));
}

} // namespace
