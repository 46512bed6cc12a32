#include "PackageBytes.h"
#include "TestSupport.h"
#include "package/PackageWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace {

using namespace package;

namespace fs = std::filesystem;

// A writer whose "own executable" is a file of the test's own making, so the
// prefix is known byte for byte.
class PackageWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = std::string(1000, 'P');
        WriteWholeFile(self(), prefix);
        fs::create_directory(source());
    }

    std::string self() const { return scratch / "self.bin"; }
    std::string source() const { return scratch / "src"; }
    std::string output() const { return scratch / "out.bin"; }

    int Pack(const std::string& folder, int flags = PackCopySelf) {
        PackageWriter writer(self());
        const int result = writer.Pack(folder, output(), flags);
        records = writer.Records();
        problems = writer.Problems();
        return result;
    }

    // A failed pack leaves no file of its own making beside the output.
    void ExpectNoStrayFiles() const {
        for (const auto& item : fs::directory_iterator(scratch.Path())) {
            EXPECT_NE(item.path().filename().string()[0], '.') << item.path();
        }
    }

    ScratchFolder scratch;
    std::string prefix;
    std::deque<PackageEntry> records;
    std::vector<PackProblem> problems;
};

TEST_F(PackageWriterTest, WorkedLayoutByteForByte) {
    WriteWholeFile(source() + "/a.swf", "0123456789");
    fs::create_directory(source() + "/sub");
    WriteWholeFile(source() + "/sub/b.jpg", "abcde");

    ASSERT_EQ(Pack(source()), PkgOk);

    const std::string expected =
        MakePackage(prefix, "0123456789abcde",
                    {MakeEntry("a.swf", EntryFile, 10, 1016), MakeEntry("sub", EntryFolder, 1, 0),
                     MakeEntry("b.jpg", EntryFile, 5, 1026)},
                    2);
    const std::string written = ReadWholeFile(output());
    ASSERT_EQ(written.size(), 4167u);
    EXPECT_EQ(written.substr(1000, 16), std::string("Kest Pkg V1.0\0\0\0", 16));
    EXPECT_EQ(written.substr(4139 + 12), std::string("Kest\0\0\0\0\0\0\0\0\0\0\0\0", 16));
    EXPECT_TRUE(written == expected);
}

TEST_F(PackageWriterTest, PathSpellingsGiveIdenticalOutput) {
    WriteWholeFile(source() + "/x.txt", "x");
    fs::create_directory(source() + "/d");
    WriteWholeFile(source() + "/d/y.txt", "yy");
    ASSERT_EQ(Pack(source()), PkgOk);
    const std::string plain = ReadWholeFile(output());

    // Built by appending: GCC 12 warns falsely (-Wrestrict) on "\"" + text.
    const auto quoted = [](const std::string& text) { return std::string(1, '"').append(text).append(1, '"'); };
    for (const std::string& spelling : {source() + "/", quoted(source()), quoted(source() + "/"),
                                       scratch.Path() + "/\"s\"rc"}) {
        ASSERT_EQ(Pack(spelling), PkgOk) << spelling;
        EXPECT_TRUE(ReadWholeFile(output()) == plain) << spelling;
    }
    PackageWriter writer(self());
    ASSERT_EQ(writer.Pack(source(), quoted(output()), PackCopySelf), PkgOk);
    EXPECT_TRUE(ReadWholeFile(output()) == plain);
}

TEST_F(PackageWriterTest, EmptyFolderIsRefused) {
    EXPECT_EQ(Pack(source()), PkgErrEmptyFolder);
    EXPECT_FALSE(fs::exists(output()));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].path, source());

    // A failed pack leaves the old magazine byte for byte.
    WriteWholeFile(output(), "old magazine");
    EXPECT_EQ(Pack(source()), PkgErrEmptyFolder);
    EXPECT_EQ(Pack(scratch / "missing"), PkgErrEmptyFolder);
    EXPECT_EQ(Pack(""), PkgErrEmptyFolder);
    EXPECT_EQ(ReadWholeFile(output()), "old magazine");
    ExpectNoStrayFiles();
}

TEST_F(PackageWriterTest, FolderOfEmptyFolders) {
    fs::create_directories(source() + "/only/inner");
    ASSERT_EQ(Pack(source()), PkgOk);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_STREQ(records[0].name, "only");
    EXPECT_EQ(records[0].size, 1);
    EXPECT_STREQ(records[1].name, "inner");
    EXPECT_EQ(records[1].type, EntryFolder);
    EXPECT_EQ(records[1].size, EmptyFolderCount);
    EXPECT_EQ(records[1].offset, 0u);
}

TEST_F(PackageWriterTest, RecordOrderIsFilesReversedThenFolders) {
    for (const char* name : {"first", "second", "third"}) {
        WriteWholeFile(source() + "/" + name, name);
    }
    for (const char* name : {"dir1", "dir2"}) {
        fs::create_directories(source() + "/" + name + "/e");
    }
    WriteWholeFile(source() + "/.hidden", "h");
    ASSERT_EQ(Pack(source()), PkgOk);

    std::vector<std::string> names;
    for (const PackageEntry& record : records) {
        names.emplace_back(record.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"third", "second", "first", ".hidden", "dir1", "e",
                                                "dir2", "e"}));
    // Data lies in record order.
    EXPECT_EQ(records[0].offset, 1016u);
    EXPECT_EQ(records[1].offset, 1016u + 5);
    EXPECT_EQ(records[2].offset, 1016u + 11);
}

TEST_F(PackageWriterTest, TransferSizeBoundaries) {
    std::string exact(PkgTransferSize, '\0');
    for (size_t i = 0; i < exact.size(); i += 4093) {
        exact[i] = static_cast<char>(i / 4093);
    }
    WriteWholeFile(source() + "/exact", exact);
    WriteWholeFile(source() + "/empty", "");
    WriteWholeFile(source() + "/over", exact + "!");
    ASSERT_EQ(Pack(source(), 0), PkgOk);

    const std::string written = ReadWholeFile(output());
    ASSERT_EQ(records.size(), 3u); // over, exact, empty (reverse of sorted)
    EXPECT_EQ(records[0].size, PkgTransferSize + 1);
    EXPECT_EQ(records[1].size, PkgTransferSize);
    EXPECT_EQ(records[2].size, 0);
    EXPECT_EQ(records[2].offset, 16u + 2 * PkgTransferSize + 1);
    EXPECT_TRUE(written.compare(records[1].offset, exact.size(), exact) == 0);
    // Without a copy of the program the package starts at 0.
    EXPECT_EQ(written.substr(0, 13), "Kest Pkg V1.0");
}

TEST_F(PackageWriterTest, OnlyRegularFilesAndFoldersArePacked) {
    WriteWholeFile(source() + "/good", "g");
    WriteWholeFile(scratch / "outside", "not yours");
    fs::create_directories(source() + "/sub/deeper");
    fs::create_directory_symlink(source() + "/sub", source() + "/folder-link");
    fs::create_symlink(scratch / "outside", source() + "/sub/file-link");
    ASSERT_EQ(::mkfifo((source() + "/sub/deeper/fifo").c_str(), 0600), 0);
    WriteWholeFile(output(), "old magazine");

    // The FIFO is not waited on; each entry is named with its reason.
    EXPECT_EQ(Pack(source()), PkgErrSource);
    std::map<std::string, std::string> reasons;
    for (const PackProblem& problem : problems) {
        reasons[problem.path] = problem.reason;
    }
    EXPECT_EQ(reasons, (std::map<std::string, std::string>{
                           {source() + "/folder-link", "skipped: a symbolic link"},
                           {source() + "/sub/file-link", "skipped: a symbolic link"},
                           {source() + "/sub/deeper/fifo", "skipped: a FIFO"}}));
    EXPECT_EQ(ReadWholeFile(output()), "old magazine");
    ExpectNoStrayFiles();
}

TEST_F(PackageWriterTest, UnlistableFoldersAndTooLongPathsFailThePack) {
    // Spelled long with "./", a path passes 4095 bytes without a deep tree.
    std::string longSource = source();
    while (longSource.size() < 4000) {
        longSource += "/.";
    }
    fs::create_directory(source() + "/" + std::string(100, 'n'));
    WriteWholeFile(source() + "/short", "s");
    EXPECT_EQ(Pack(longSource), PkgErrSource);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].reason, "path too long (over 4095 bytes)");
    EXPECT_FALSE(fs::exists(output()));

    if (::geteuid() == 0) {
        GTEST_SKIP() << "root lists any folder";
    }
    fs::remove(source() + "/" + std::string(100, 'n'));
    fs::create_directory(source() + "/locked");
    ::chmod((source() + "/locked").c_str(), 0);
    EXPECT_EQ(Pack(source()), PkgErrSource);
    ::chmod((source() + "/locked").c_str(), 0700);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].reason, "cannot open: Permission denied");
}

TEST_F(PackageWriterTest, OutputThatWouldReachTwoGibIsRefusedAndRemoved) {
    WriteWholeFile(source() + "/small", "s");
    // Sparse: refused from its size before a byte is copied.
    WriteWholeFile(source() + "/huge", "");
    fs::resize_file(source() + "/huge", uint64_t{1} << 31);
    EXPECT_EQ(Pack(source()), PkgErrTooLarge);
    EXPECT_FALSE(fs::exists(output()));
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems.back().path, source() + "/huge");
    WriteWholeFile(output(), "old magazine");
    EXPECT_EQ(Pack(source()), PkgErrTooLarge);
    EXPECT_EQ(ReadWholeFile(output()), "old magazine");
    ExpectNoStrayFiles();
}

TEST_F(PackageWriterTest, OutputInsideTheSourceIsRefusedBeforeAnythingIsWritten) {
    WriteWholeFile(source() + "/kest.xml", "<Book/>");
    fs::create_directory(source() + "/sub");
    fs::create_directory_symlink(source(), scratch / "alias");
    for (const std::string& inside : {source() + "/kest.xml", source() + "/sub/mag", scratch / "alias/mag"}) {
        PackageWriter writer(self());
        EXPECT_EQ(writer.Pack(source(), inside, PackCopySelf), PkgErrCreate) << inside;
        ASSERT_EQ(writer.Problems().size(), 1u);
        EXPECT_EQ(writer.Problems()[0].reason, "is inside the folder being packed");
    }
    EXPECT_EQ(ReadWholeFile(source() + "/kest.xml"), "<Book/>");
    EXPECT_FALSE(fs::exists(source() + "/sub/mag"));
    EXPECT_FALSE(fs::exists(source() + "/mag"));
}

TEST_F(PackageWriterTest, CreateAndOpenFailures) {
    WriteWholeFile(source() + "/a", "a");
    PackageWriter noSelf(scratch / "no-such-program");
    EXPECT_EQ(noSelf.Pack(source(), output(), PackCopySelf), PkgErrOpen);
    PackageWriter writer(self());
    EXPECT_EQ(writer.Pack(source(), scratch / "missing/out", PackCopySelf), PkgErrCreate);
    EXPECT_EQ(writer.Pack(source(), "", PackCopySelf), PkgErrCreate);
    // A full disk: the failure is reported, never success; the device,
    // written in place, keeps its permission bits.
    struct stat before {};
    struct stat after {};
    ASSERT_EQ(::stat("/dev/full", &before), 0);
    EXPECT_EQ(writer.Pack(source(), "/dev/full", PackCopySelf), PkgErrWrite);
    ASSERT_EQ(::stat("/dev/full", &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
}

TEST_F(PackageWriterTest, DebugLogLinesPerRecord) {
    WriteWholeFile(source() + "/a", "abc");
    fs::create_directory(source() + "/e");
    const std::string logFolder = scratch / "logs";
    fs::create_directory(logFolder);
    ::setenv("tmp", logFolder.c_str(), 1);
    ASSERT_EQ(Pack(source(), PackCopySelf | PackDebugLog), PkgOk);
    ASSERT_EQ(Pack(source(), PackCopySelf | PackDebugLog), PkgOk);
    ASSERT_EQ(Pack(source(), PackCopySelf), PkgOk);
    ::unsetenv("tmp");
    const std::string run = "pk: a 3\npk: e -6\n\n\n\n";
    EXPECT_EQ(ReadWholeFile(logFolder + "/debug.log"), run + run);
}

TEST_F(PackageWriterTest, DebugLogHoldsOneLinePerNameAndIsNeverWrittenThroughALink) {
    WriteWholeFile(source() + "/two\nlines\x1b[2J\\", "x");
    const std::string logFolder = scratch / "logs";
    fs::create_directory(logFolder);
    ::setenv("tmp", logFolder.c_str(), 1);
    ASSERT_EQ(Pack(source(), PackDebugLog), PkgOk);
    EXPECT_EQ(ReadWholeFile(logFolder + "/debug.log"), "pk: two\\x0alines\\x1b[2J\\\\ 1\n\n\n\n");

    // A planted link is refused, and the magazine is still written.
    fs::remove(logFolder + "/debug.log");
    WriteWholeFile(scratch / "victim", "precious");
    fs::create_symlink(scratch / "victim", logFolder + "/debug.log");
    EXPECT_EQ(Pack(source(), PackDebugLog), PkgOk);
    ::unsetenv("tmp");
    EXPECT_EQ(ReadWholeFile(scratch / "victim"), "precious");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].reason, "not written: not a regular file of your own");
    EXPECT_TRUE(fs::exists(output()));
}

} // namespace
