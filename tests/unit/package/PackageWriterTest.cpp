#include "PackageBytes.h"
#include "TestSupport.h"
#include "package/PackageWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace {

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

    for (const std::string& spelling : {source() + "/", "\"" + source() + "\"", "\"" + source() + "/\"",
                                       scratch.Path() + "/\"s\"rc"}) {
        ASSERT_EQ(Pack(spelling), PkgOk) << spelling;
        EXPECT_TRUE(ReadWholeFile(output()) == plain) << spelling;
    }
    PackageWriter writer(self());
    ASSERT_EQ(writer.Pack(source(), "\"" + output() + "\"", PackCopySelf), PkgOk);
    EXPECT_TRUE(ReadWholeFile(output()) == plain);
}

TEST_F(PackageWriterTest, EmptyFolderIsRefused) {
    EXPECT_EQ(Pack(source()), PkgErrEmptyFolder);
    EXPECT_TRUE(ReadWholeFile(output()) == prefix + std::string("Kest Pkg V1.0\0\0\0", 16));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].path, source());

    EXPECT_EQ(Pack(scratch / "missing"), PkgErrEmptyFolder);
    EXPECT_EQ(Pack(""), PkgErrEmptyFolder);
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

TEST_F(PackageWriterTest, UnreadableFileIsRecordedWithItsError) {
    WriteWholeFile(source() + "/good", "g");
    WriteWholeFile(source() + "/secret", "s");
    fs::create_directory(source() + "/folder-link-target");
    fs::create_directory_symlink(source() + "/folder-link-target", source() + "/link");
    ::chmod((source() + "/secret").c_str(), 0);
    const bool canReadAnyway = ::geteuid() == 0; // root reads whatever the bits say

    ASSERT_EQ(Pack(source()), PkgOk);
    // The link to a folder is packed as a file and cannot be read as one.
    ASSERT_EQ(records.size(), 4u);
    EXPECT_STREQ(records[1].name, "link");
    EXPECT_EQ(records[1].size, PkgErrSource);
    EXPECT_EQ(records[0].size, canReadAnyway ? 1 : PkgErrSource);
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems.back().path, source() + "/link");
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
}

TEST_F(PackageWriterTest, OutputInsideTheSourceIsNotPackedIntoItself) {
    WriteWholeFile(source() + "/a", "a");
    PackageWriter writer(self());
    const std::string inside = source() + "/mag";
    ASSERT_EQ(writer.Pack(source(), inside, PackCopySelf), PkgOk);
    ASSERT_EQ(writer.Records().size(), 2u);
    EXPECT_EQ(writer.Records()[0].size, PkgErrSource); // "mag", reversed order
    EXPECT_LT(ReadWholeFile(inside).size(), 10000u);
}

TEST_F(PackageWriterTest, CreateAndOpenFailures) {
    WriteWholeFile(source() + "/a", "a");
    PackageWriter noSelf(scratch / "no-such-program");
    EXPECT_EQ(noSelf.Pack(source(), output(), PackCopySelf), PkgErrOpen);
    PackageWriter writer(self());
    EXPECT_EQ(writer.Pack(source(), scratch / "missing/out", PackCopySelf), PkgErrCreate);
    EXPECT_EQ(writer.Pack(source(), "", PackCopySelf), PkgErrCreate);
    // A full disk: the failure is reported, never success.
    EXPECT_EQ(writer.Pack(source(), "/dev/full", PackCopySelf), PkgErrWrite);
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

} // namespace
