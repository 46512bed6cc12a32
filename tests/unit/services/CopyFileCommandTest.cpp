#include "services/CopyFileCommand.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "unit/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The scratch folder of the fixture is the magazine's folder.
std::string CopyIn(const std::string& contentFolder, std::string args) {
    services::ReplyBuffer reply;
    return services::CopyOneFile(args.data(), package::ContentFiles(contentFolder), reply);
}

// Every byte value, line ends included, so that any conversion shows.
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + 13) % 256);
    }
    return bytes;
}

class CopyFileCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(platform::MakeFolder((scratch / "resource").c_str()), 0);
        WriteWholeFile(scratch / "resource/a.bin", source);
    }

    std::string Copy(const std::string& args) const { return CopyIn(scratch.Path(), args); }

    ScratchFolder scratch;
    const std::string source = Pattern(1025);
};

TEST_F(CopyFileCommandTest, CopiesByteForByteOverAnyExistingFile) {
    WriteWholeFile(scratch / "b.bin", std::string(5000, 'x'));
    EXPECT_EQ(Copy(scratch / "resource/a.bin|" + scratch / "b.bin"), "copyfilesuccess");
    EXPECT_EQ(ReadWholeFile(scratch / "b.bin"), source);

    WriteWholeFile(scratch / "empty", "");
    EXPECT_EQ(Copy(scratch / "empty||" + scratch / "b.bin"), "copyfilesuccess");
    EXPECT_EQ(ReadWholeFile(scratch / "b.bin"), "");
}

TEST_F(CopyFileCommandTest,
       RelativePathsCountFromTheMagazinesFolderAsTheOriginalPlatformNamesThem) {
    EXPECT_EQ(Copy("resource\\a.bin|resource\\copy.bin"), "copyfilesuccess");
    EXPECT_EQ(ReadWholeFile(scratch / "resource/copy.bin"), source);
    EXPECT_EQ(Copy("Resource\\A.BIN|RESOURCE/Other.bin"), "copyfilesuccess");
    EXPECT_EQ(ReadWholeFile(scratch / "resource/Other.bin"), source);
}

TEST_F(CopyFileCommandTest, FailedOpensLeaveTheDestinationAlone) {
    WriteWholeFile(scratch / "b.bin", "keep");
    EXPECT_EQ(Copy(scratch / "missing|" + scratch / "b.bin"), "copyfilefail");
    EXPECT_EQ(ReadWholeFile(scratch / "b.bin"), "keep");
    EXPECT_EQ(Copy(scratch / "resource/a.bin|" + scratch / "no/such/folder.bin"), "copyfilefail");
    EXPECT_EQ(Copy(scratch / "resource/a.bin|" + scratch / "resource"), "copyfilefail");
    for (const std::string& args : {std::string(), std::string("|||"), scratch / "resource/a.bin",
                                    scratch / "resource/a.bin|"}) {
        EXPECT_EQ(Copy(args), "copyfilefail") << args;
    }
}

TEST_F(CopyFileCommandTest, TheSourceItselfIsNeverADestination) {
    ASSERT_EQ(link((scratch / "resource/a.bin").c_str(), (scratch / "hard.bin").c_str()), 0);
    ASSERT_EQ(symlink((scratch / "resource/a.bin").c_str(), (scratch / "soft.bin").c_str()), 0);
    const std::string from = scratch / "resource/a.bin|";
    for (const std::string& destination :
         {scratch / "resource/a.bin", scratch / "resource/../resource/a.bin", scratch / "hard.bin",
          scratch / "soft.bin"}) {
        EXPECT_EQ(Copy(from + destination), "copyfilefail") << destination;
        EXPECT_EQ(ReadWholeFile(scratch / "resource/a.bin"), source);
    }
}

TEST_F(CopyFileCommandTest, OnlyTheMagazinesFilesGoOnlyToTheReadersFolders) {
    ScratchFolder home;
    const std::string pictures = home / "Pictures";
    for (const std::string& folder : {pictures, pictures + "/Saved", pictures + "/.hidden"}) {
        ASSERT_EQ(platform::MakeFolder(folder.c_str()), 0);
    }
    setenv("XDG_PICTURES_DIR", pictures.c_str(), 1);
    WriteWholeFile(home / "key", "secret");
    WriteWholeFile(pictures + "/run.sh", "#!/bin/sh");
    ASSERT_EQ(chmod((pictures + "/run.sh").c_str(), 0755), 0);
    ASSERT_EQ(symlink((home / "key").c_str(), (scratch / "key").c_str()), 0);
    ASSERT_EQ(symlink(home.Path().c_str(), (pictures + "/out").c_str()), 0);

    EXPECT_EQ(Copy("resource\\a.bin|" + pictures + "\\saved\\a.jpg"), "copyfilesuccess");
    EXPECT_EQ(ReadWholeFile(pictures + "/Saved/a.jpg"), source);
    testing::internal::CaptureStderr();
    const std::string up = "../" + std::filesystem::path(home.Path()).filename().string();
    for (const std::string& args : std::vector<std::string>{
             home / "key|" + pictures + "/key", "key|" + pictures + "/key", up + "/key|a",
             up + "\\KEY|a", "resource/a.bin|" + home / "profile",
             "resource/a.bin|" + pictures + "/.hidden/a", "resource/a.bin|" + pictures + "/.a",
             "resource/a.bin|" + pictures + "/out/profile",
             "resource/a.bin|" + pictures + "/a.Desktop", "resource/a.bin|" + pictures + "/run.sh",
             "resource/a.bin|" + pictures + "/Saved", "resource/a.bin|C:\\a.bin",
             "resource/a.bin|/dev/full", "resource|a.bin",
             "resource/a.bin|\x1b]0;" + std::string(300, 'x')}) {
        EXPECT_EQ(Copy(args), "copyfilefail") << args;
    }
    const std::string log = testing::internal::GetCapturedStderr();
    unsetenv("XDG_PICTURES_DIR");
    EXPECT_FALSE(platform::PathExists((home / "profile").c_str()));
    EXPECT_FALSE(platform::PathExists((pictures + "/key").c_str()));
    EXPECT_EQ(ReadWholeFile(pictures + "/run.sh"), "#!/bin/sh");
    // One line for each refusal, what the movie chose cut and escaped.
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 15) << log;
    EXPECT_EQ(log.find('\x1b'), std::string::npos);
    EXPECT_NE(log.find("\\x1b]0;" + std::string(150, 'x')), std::string::npos);
    EXPECT_EQ(log.find(std::string(200, 'x')), std::string::npos);
}

TEST_F(CopyFileCommandTest, ChineseNamesInTheHostsEncodingAndInCodePage936) {
    // "图片" and "封面.jpg" in UTF-8; "封面.jpg" as a stored magazine names it.
    const std::string pictures = scratch / "\xE5\x9B\xBE\xE7\x89\x87";
    const std::string cover = "\xE5\xB0\x81\xE9\x9D\xA2.jpg";
    const std::string storedCover = "\xB7\xE2\xC3\xE6.jpg";
    ASSERT_EQ(platform::MakeFolder(pictures.c_str()), 0);
    WriteWholeFile(scratch / "resource/" + cover, "utf-8");
    EXPECT_EQ(Copy(scratch / "resource\\" + cover + "|" + pictures + "/" + cover), "copyfilesuccess");
    EXPECT_EQ(ReadWholeFile(pictures + "/" + cover), "utf-8");

    WriteWholeFile(scratch / storedCover, "gbk");
    EXPECT_EQ(Copy(scratch / cover + "|" + pictures + "/" + cover), "copyfilesuccess");
    EXPECT_EQ(ReadWholeFile(pictures + "/" + cover), "gbk");
    // Under a GBK locale the names are those of the code page already, and
    // a '\\' that ends a character ("乗") separates no folders.
    platform::SetHostEncoding("GBK");
    EXPECT_EQ(Copy(scratch / storedCover + "|" + scratch / "\x81\\.copy"), "copyfilesuccess");
    platform::SetHostEncoding("UTF-8");
    EXPECT_EQ(ReadWholeFile(scratch / "\x81\\.copy"), "gbk");
}

} // namespace
