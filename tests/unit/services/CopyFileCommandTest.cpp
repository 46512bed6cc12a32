#include "services/CopyFileCommand.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "unit/TestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

std::string Copy(std::string args) {
    services::ReplyBuffer reply;
    return services::CopyOneFile(args.data(), reply);
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

TEST_F(CopyFileCommandTest, BackslashesInRelativePathsSeparateFolders) {
    const std::string previous = platform::CurrentDirectory();
    ASSERT_EQ(platform::ChangeDirectory(scratch.Path().c_str()), 0);
    const std::string reply = Copy("resource\\a.bin|resource\\copy.bin");
    ASSERT_EQ(platform::ChangeDirectory(previous.c_str()), 0);
    EXPECT_EQ(reply, "copyfilesuccess");
    EXPECT_EQ(ReadWholeFile(scratch / "resource/copy.bin"), source);
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

TEST_F(CopyFileCommandTest, ReadOrWriteErrorsPartWayAreFailures) {
    // /dev/full takes the open but refuses every byte.
    EXPECT_EQ(Copy(scratch / "resource/a.bin|/dev/full"), "copyfilefail");
    // A folder opens for reading but every read fails.
    EXPECT_EQ(Copy(scratch / "resource|" + scratch / "b.bin"), "copyfilefail");
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
