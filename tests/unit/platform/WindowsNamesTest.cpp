// Names as magazines of the original platform give them, and user folders.
#include "platform/WindowsNames.h"
#include "platform/FileSystem.h"
#include "platform/UserFolders.h"
#include "unit/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace platform;

// The file `path` names in root: spelled exactly, else as the original
// platform matches names.
std::optional<std::string> Find(const std::string& root, const std::string& path) {
    if (auto exact = RegularFileInside(root, path)) {
        return exact;
    }
    return MatchFileInside(root, {path, Encoding::Utf8});
}

TEST(WindowsNames, LetterCaseAndBackslashesAsTheOriginalPlatformTakesThem) {
    ScratchFolder root;
    // "乗" (0x81 0x5C) ends in a backslash; 0x81 0x41 and 0x81 0x61 are two
    // characters, not one in two letter cases.
    for (const char* folder : {"Resource", "\x81\\"}) {
        ASSERT_EQ(MakeFolder((root / folder).c_str()), 0);
    }
    for (const char* file :
         {"Resource/Cover.JPG", "\x81\\/\x81\x41.txt", "\x81\\/\x81\x61.txt", "twin", "TWIN"}) {
        WriteWholeFile(root / file, file);
    }
    EXPECT_EQ(Find(root.Path(), "resource\\cover.jpg"), root / "Resource/Cover.JPG");
    EXPECT_EQ(Find(root.Path(), root / "RESOURCE/Cover.jpg"), root / "Resource/Cover.JPG");
    EXPECT_EQ(MatchWindowsPath(root.Path(), "\x81\\\\\x81\x41.TXT", Encoding::Cp936),
              "\x81\\/\x81\x41.txt");
    EXPECT_EQ(MatchWindowsPath(root.Path(), "\x81\\\\\x81\x61.TXT", Encoding::Cp936),
              "\x81\\/\x81\x61.txt");
    // Stepped as UTF-8, the same bytes name other folders.
    EXPECT_EQ(MatchWindowsPath(root.Path(), "\x81\\\\\x81\x41.TXT", Encoding::Utf8), std::nullopt);
    // Of several names differing only in case none is taken, but the exact one is.
    EXPECT_EQ(Find(root.Path(), "Twin"), std::nullopt);
    EXPECT_EQ(Find(root.Path(), "TWIN"), root / "TWIN");
    EXPECT_EQ(MatchWindowsPath(root.Path(), "RESOURCE\\New.jpg", Encoding::Utf8, false),
              "Resource/New.jpg");
}

TEST(WindowsNames, NothingOutsideTheRootIsFound) {
    ScratchFolder scratch;
    const std::string content = scratch / "content";
    ASSERT_EQ(MakeFolder(content.c_str()), 0);
    WriteWholeFile(scratch / "Secret", "secret");
    std::filesystem::create_symlink(scratch / "Secret", content + "/Link");
    std::filesystem::create_symlink(scratch.Path(), content + "/Up");
    for (const std::string& path :
         {std::string("../secret"), std::string("..\\Secret"), std::string("link"),
          std::string("up/secret"), std::string("UP\\SECRET"), scratch / "Secret",
          content + "/../Secret", std::string("/etc/passwd"), std::string("")}) {
        EXPECT_EQ(Find(content, path), std::nullopt) << path;
    }
}

TEST(UserFolders, TheReadersFoldersLeaveOutTheHomeFolder) {
    ScratchFolder home;
    ASSERT_EQ(MakeFolder((home / "config").c_str()), 0);
    WriteWholeFile(
        home / "config/user-dirs.dirs",
        "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME\"\n"
        "  XDG_PICTURES_DIR=\"$HOME/Bilder/\"\nXDG_MUSIC_DIR=\"/\"\nXDG_VIDEOS_DIR=\"Videos\"\n"
        "XDG_DOCUMENTS_DIR=\"/srv/\\\"docs\"\n");
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DOWNLOAD_DIR", "/srv/in", 1);
    for (const char* name : {"XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR", "XDG_MUSIC_DIR",
                             "XDG_PICTURES_DIR", "XDG_VIDEOS_DIR"}) {
        unsetenv(name);
    }
    const std::vector<std::string> expected{"/srv/\"docs", "/srv/in", home / "Bilder",
                                            home / "Videos"};
    EXPECT_EQ(ReaderFolders(), expected);
    unsetenv("XDG_DOWNLOAD_DIR");
}

} // namespace
