#include "player/SandboxLeftovers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(SandboxLeftovers, RemovesOnlyTheFoldersOfEndedViewers) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    const fs::path scratch = fs::temp_directory_path() / ("kest-leftovers-" + std::to_string(getpid()));
    const std::string ended = "webkit-" + std::to_string(child), running = "webkit-" + std::to_string(getpid());
    for (const std::string& name : {ended + "-4", running + "-12", ended + "-x", std::string("outside/keep")}) {
        fs::create_directories(scratch / name);
    }
    fs::create_directory_symlink(scratch / "outside", scratch / (ended + "-5"));

    player::RemoveEndedSandboxInfo(scratch.string());

    EXPECT_FALSE(fs::exists(scratch / (ended + "-4")));
    EXPECT_TRUE(fs::exists(scratch / (running + "-12")));
    EXPECT_TRUE(fs::exists(scratch / (ended + "-x")));
    EXPECT_TRUE(fs::exists(scratch / "outside/keep"));
    fs::remove_all(scratch);
}
