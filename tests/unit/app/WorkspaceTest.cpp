#include "TestSupport.h"
#include "app/Workspace.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace app;

namespace fs = std::filesystem;

std::string NameFor(unsigned long threadId, char letter) {
    char name[kWorkspaceNameSize];
    FillWorkspaceName(name, threadId, letter);
    return name;
}

TEST(WorkspaceName, DigitsComeFromTheThreadIdentifier) {
    EXPECT_EQ(NameFor(1234567, 'a'), "Kesta34567");
    EXPECT_EQ(NameFor(42, 'a'), "Kesta00042");
    EXPECT_EQ(NameFor(0, 'z'), "Kestz00000");
    EXPECT_EQ(NameFor(99999, 'q'), "Kestq99999");
}

TEST(Workspace, IsMadeExclusivelyInTheTemporaryFolder) {
    ScratchFolder scratch;
    // Anything of the first name, folder, file or link, moves the letter on.
    fs::create_directory(scratch / "Kesta00042");
    WriteWholeFile(scratch / "Kestb00042", "");
    fs::create_symlink(scratch / "nowhere", scratch / "Kestc00042");

    Workspace workspace;
    ASSERT_TRUE(workspace.Create(scratch.Path(), 42));
    EXPECT_STREQ(workspace.Name(), "Kestd00042");
    EXPECT_EQ(workspace.Path(), scratch / "Kestd00042");
    struct stat info {};
    ASSERT_EQ(::stat(workspace.Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A second viewer with the same thread identifier gets a folder of its own.
    Workspace second;
    ASSERT_TRUE(second.Create(scratch.Path(), 42));
    EXPECT_STREQ(second.Name(), "Keste00042");
}

TEST(Workspace, FreshDigitsWhenEveryLetterIsTaken) {
    ScratchFolder scratch;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        fs::create_directory(scratch / NameFor(7, letter));
    }
    Workspace workspace;
    ASSERT_TRUE(workspace.Create(scratch.Path(), 7));
    EXPECT_TRUE(std::regex_match(std::string(workspace.Name()), std::regex("Kest[a-z][0-9]{5}")));
    EXPECT_EQ(fs::directory_iterator(scratch.Path() + "/" + workspace.Name()), fs::directory_iterator());
}

TEST(Workspace, MissingTemporaryFolderIsMadeUnreachableOneIsAFailure) {
    ScratchFolder scratch;
    Workspace workspace;
    ASSERT_TRUE(workspace.Create(scratch / "not/yet", 1));
    EXPECT_TRUE(fs::is_directory(scratch / "not/yet/Kesta00001"));
    WriteWholeFile(scratch / "file", "");
    Workspace blocked;
    EXPECT_FALSE(blocked.Create(scratch / "file", 1));
    EXPECT_FALSE(blocked.Delete());
}

TEST(Workspace, DeletionRemovesOnlyWhatIsInside) {
    ScratchFolder scratch;
    const std::string outside = scratch / "outside";
    fs::create_directory(outside);
    WriteWholeFile(outside + "/keep.txt", "keep");

    Workspace workspace;
    ASSERT_TRUE(workspace.Create(scratch / "tmp", 5));
    std::string deep = workspace.Path();
    for (int level = 0; level < 300; ++level) {
        deep += "/level" + std::to_string(level);
    }
    fs::create_directories(deep);
    WriteWholeFile(deep + "/file", "x");
    fs::create_directory_symlink(outside, workspace.Path() + "/link-to-folder");
    fs::create_symlink(outside + "/keep.txt", deep + "/link-to-file");

    // Standing inside it, as the viewer does while the window is open.
    const std::string before = platform::CurrentDirectory();
    ASSERT_EQ(platform::ChangeDirectory(workspace.Path().c_str()), 0);
    EXPECT_TRUE(workspace.Delete());
    EXPECT_EQ(platform::CurrentDirectory(), scratch / "tmp");
    ASSERT_EQ(platform::ChangeDirectory(before.c_str()), 0);

    EXPECT_FALSE(fs::exists(workspace.Path()));
    EXPECT_EQ(ReadWholeFile(outside + "/keep.txt"), "keep");
    EXPECT_FALSE(workspace.Delete()); // only once
}

TEST(Workspace, AStartRemovesOnlyWorkspacesWhoseViewerIsGone) {
    ScratchFolder scratch;
    Workspace live;
    ASSERT_TRUE(live.Create(scratch.Path(), 1));
    fs::create_directories(scratch / "Kestb00002/deep");
    // Look-alikes: other names, a file, a link to a folder, another user's.
    for (const char* name : {"Kest00003", "KestB00004", "Kestc0000x", "Kestc000055", "Kestg00008"}) {
        fs::create_directory(scratch / name);
    }
    WriteWholeFile(scratch / "Kestd00005", "");
    fs::create_directory_symlink(scratch / "Kestb00002/deep", scratch / "Keste00006");
    const bool otherUser = ::chown((scratch / "Kestg00008").c_str(), 12345, 12345) == 0;

    RemoveStaleWorkspaces(scratch.Path());
    EXPECT_FALSE(fs::exists(scratch / "Kestb00002"));
    EXPECT_TRUE(fs::is_directory(live.Path()));
    for (const char* name : {"Kest00003", "KestB00004", "Kestc0000x", "Kestc000055", "Kestd00005", "Keste00006"}) {
        EXPECT_TRUE(fs::exists(fs::symlink_status(scratch / name))) << name;
    }
    EXPECT_EQ(fs::exists(scratch / "Kestg00008"), otherUser);
}

} // namespace
