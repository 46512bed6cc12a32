#include "platform/FileSystem.h"
#include "player/SandboxLeftovers.h"
#include "unit/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

#include <sys/wait.h>
#include <unistd.h>

TEST(SandboxLeftovers, RemovesOnlyTheFoldersOfEndedViewers) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    const ScratchFolder scratch;
    const std::string ended = "webkit-" + std::to_string(child), running = "webkit-" + std::to_string(getpid());
    for (const std::string& name : {ended + "-4", running + "-12", ended + "-x", std::string("outside")}) {
        ASSERT_EQ(platform::MakeFolder((scratch / name).c_str()), 0);
    }
    WriteWholeFile(scratch / (ended + "-4/bwrapinfo.json"), "{}");
    WriteWholeFile(scratch / "outside/keep", "");
    ASSERT_EQ(symlink((scratch / "outside").c_str(), (scratch / (ended + "-5")).c_str()), 0);

    player::RemoveEndedSandboxInfo(scratch.Path());

    EXPECT_NE(access((scratch / (ended + "-4")).c_str(), F_OK), 0);
    EXPECT_EQ(access((scratch / (running + "-12")).c_str(), F_OK), 0);
    EXPECT_EQ(access((scratch / (ended + "-x")).c_str(), F_OK), 0);
    EXPECT_EQ(access((scratch / "outside/keep").c_str(), F_OK), 0);
}
