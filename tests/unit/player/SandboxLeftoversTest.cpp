#include "player/SandboxLeftovers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A process id that has just ended.
pid_t EndedProcess() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

void Touch(const fs::path& file) { std::ofstream(file) << "{}"; }

TEST(SandboxLeftovers, RemovesOnlyTheFoldersOfEndedViewers) {
    const fs::path scratch = fs::temp_directory_path() / ("kest-leftovers-" + std::to_string(getpid()));
    const fs::path folder = scratch / ".flatpak", outside = scratch / "outside";
    fs::create_directories(folder);
    fs::create_directories(outside);
    Touch(outside / "keep");
    const std::string ended = std::to_string(EndedProcess()), running = std::to_string(getpid());
    for (const std::string& name : {"webkit-" + ended + "-4", "webkit-" + running + "-12", "webkit-" + ended + "-x",
                                   "webkit-" + ended, "other-" + ended + "-4"}) {
        fs::create_directory(folder / name);
        Touch(folder / name / "bwrapinfo.json");
    }
    fs::create_directory_symlink(outside, folder / ("webkit-" + ended + "-5"));
    Touch(folder / ("webkit-" + ended + "-6"));

    player::RemoveEndedSandboxInfo(folder.string());

    EXPECT_FALSE(fs::exists(folder / ("webkit-" + ended + "-4")));
    EXPECT_TRUE(fs::exists(folder / ("webkit-" + running + "-12") / "bwrapinfo.json"));
    EXPECT_TRUE(fs::exists(folder / ("webkit-" + ended + "-x")));
    EXPECT_TRUE(fs::exists(folder / ("webkit-" + ended)));
    EXPECT_TRUE(fs::exists(folder / ("other-" + ended + "-4")));
    EXPECT_TRUE(fs::exists(outside / "keep"));
    EXPECT_TRUE(fs::exists(folder / ("webkit-" + ended + "-6")));
    player::RemoveEndedSandboxInfo((scratch / "missing").string());
    fs::remove_all(scratch);
}

} // namespace
