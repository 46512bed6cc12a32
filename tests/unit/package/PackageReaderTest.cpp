#include "PackageBytes.h"
#include "TestSupport.h"
#include "package/PackageReader.h"
#include "package/PackageWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

namespace {

using namespace package;

namespace fs = std::filesystem;

// Every path below `root`, relative to it, with a file's bytes or "<dir>".
std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> tree;
    if (!fs::exists(root)) {
        return tree;
    }
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(item.path(), root).string();
        tree[relative] = item.is_directory() ? "<dir>" : ReadWholeFile(item.path().string());
    }
    return tree;
}

class PackageReaderTest : public ::testing::Test {
protected:
    std::string package() const { return scratch / "package.bin"; }
    std::string target() const { return scratch / "target"; }

    // Extracts, and checks that surveying the package without writing
    // refuses it the same way or finds what the extraction made.
    int ExtractBytes(const std::string& bytes, int flags = ExtractMakeRoot) {
        WriteWholeFile(package(), bytes);
        PackageReader reader;
        std::map<std::string, std::string> surveyed;
        const int survey = reader.Survey(target(), package(), 0, [&](const PackageReader::SurveyedEntry& entry) {
            surveyed[entry.path] = entry.isFolder ? "<dir>" : bytes.substr(entry.offset, entry.size);
        });
        const bool existed = fs::exists(target());
        const int result = reader.Extract(target(), package(), flags);
        EXPECT_EQ(survey, result);
        if (result == PkgOk && !existed) {
            EXPECT_EQ(surveyed, Tree(target()));
        }
        return result;
    }

    // Nothing but the package and the target folder may exist afterwards.
    void ExpectNothingOutsideTarget() {
        for (const auto& item : fs::directory_iterator(scratch.Path())) {
            const std::string name = item.path().filename().string();
            EXPECT_TRUE(name == "package.bin" || name == "target") << name;
        }
    }

    ScratchFolder scratch;
};

TEST_F(PackageReaderTest, ProbeResults) {
    PackageReader reader;
    EXPECT_EQ(reader.Probe(scratch / "missing"), PkgErrOpen);
    WriteWholeFile(package(), std::string(27, 'K'));
    EXPECT_EQ(reader.Probe(package()), PkgErrRead);
    WriteWholeFile(package(), std::string(4000, 'x'));
    EXPECT_EQ(reader.Probe(package()), PkgErrFormat);

    const std::string good = MakePackage("EXE", "a", {MakeEntry("a", EntryFile, 1, 19)}, 1);
    WriteWholeFile(package(), good);
    EXPECT_EQ(reader.Probe(package()), PkgOk);

    // Only "Kest" and its NUL are looked at in the tag, only the magic and its
    // NUL in the header.
    std::string loose = good;
    loose.replace(loose.size() - 11, 11, "arbitrary!!");
    loose[3 + 14] = 'Q';
    loose[3 + 15] = 'R';
    WriteWholeFile(package(), loose);
    EXPECT_EQ(reader.Probe(package()), PkgOk);

    std::string badTag = good;
    badTag[badTag.size() - 12] = 's';
    WriteWholeFile(package(), badTag);
    EXPECT_EQ(reader.Probe(package()), PkgErrFormat);

    std::string badMagic = good;
    badMagic[3 + 12] = '1';
    WriteWholeFile(package(), badMagic);
    EXPECT_EQ(reader.Probe(package()), PkgErrFormat);

    std::string startPastEnd = good;
    startPastEnd[startPastEnd.size() - 28 + 3] = 0x70;
    WriteWholeFile(package(), startPastEnd);
    EXPECT_EQ(reader.Probe(package()), PkgErrRead);
}

TEST_F(PackageReaderTest, RoundTripOfARandomTree) {
    const std::string source = scratch / "source";
    std::mt19937 random(7);
    const std::vector<std::string> names = {"with space", "\xC4\xE3\xBA\xC3.swf", "caf\xC3\xA9",
                                            ".hidden", "plain.txt", "x"};
    std::vector<std::string> folders = {source};
    fs::create_directory(source);
    for (int i = 0; i < 40; ++i) {
        const std::string parent = folders[random() % folders.size()];
        const std::string path = parent + "/" + names[random() % names.size()] + std::to_string(i);
        if (random() % 3 == 0) {
            fs::create_directory(path);
            folders.push_back(path);
        } else {
            std::string bytes(random() % 3 == 0 ? 0 : random() % 5000, '\0');
            for (char& c : bytes) {
                c = static_cast<char>(random());
            }
            WriteWholeFile(path, bytes);
        }
    }
    WriteWholeFile(scratch / "prefix", "#!prefix");
    PackageWriter prefixed(scratch / "prefix");
    ASSERT_EQ(prefixed.Pack(source, package(), PackCopySelf), PkgOk);

    PackageReader reader;
    ASSERT_EQ(reader.Probe(package()), PkgOk);
    ASSERT_EQ(reader.Extract(target(), package(), ExtractMakeRoot), PkgOk);
    EXPECT_EQ(Tree(target()), Tree(source));
    // A second extraction over the first changes nothing.
    ASSERT_EQ(reader.Extract(target(), package(), ExtractMakeRoot), PkgOk);
    EXPECT_EQ(Tree(target()), Tree(source));
}

TEST_F(PackageReaderTest, NestingAndEmptyEntries) {
    const std::string prefix = "MZ";
    const uint32_t data = DataStart(prefix);
    const std::string bytes =
        MakePackage(prefix, "abcXY",
                    {MakeEntry("f1", EntryFile, 3, data), MakeEntry("empty", EntryFile, 0, data + 3),
                     MakeEntry("dir", EntryFolder, 2, 0), MakeEntry("g", EntryFile, 2, data + 3),
                     MakeEntry("none", EntryFolder, EmptyFolderCount, 0)},
                    3);
    ASSERT_EQ(ExtractBytes(bytes, ExtractMakeRoot | ExtractTrace), PkgOk);
    EXPECT_EQ(Tree(target()), (std::map<std::string, std::string>{{"f1", "abc"},
                                                                  {"empty", ""},
                                                                  {"dir", "<dir>"},
                                                                  {"dir/g", "XY"},
                                                                  {"dir/none", "<dir>"}}));
}

TEST_F(PackageReaderTest, TraceListsTheDirectory) {
    const std::string bytes = MakePackage("", "", {MakeEntry("e", EntryFolder, EmptyFolderCount, 0)}, 1);
    testing::internal::CaptureStdout();
    ASSERT_EQ(ExtractBytes(bytes, ExtractMakeRoot | ExtractTrace), PkgOk);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ex:  e -6\n\n\n\n");

    // A name cannot steer the terminal or break its line.
    const std::string steering = MakePackage("", "", {MakeEntry("e\x1b]0;t\a\n", EntryFolder, -6, 0)}, 1);
    testing::internal::CaptureStdout();
    ASSERT_EQ(ExtractBytes(steering, ExtractMakeRoot | ExtractTrace), PkgOk);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ex:  e\\x1b]0;t\\x07\\x0a -6\n\n\n\n");
}

TEST_F(PackageReaderTest, NamesThatLeaveTheTargetAreFormatErrors) {
    for (const std::string& name : std::vector<std::string>{"", ".", "..", "../escape", "a/b", "..\\escape", "/abs"}) {
        for (const int32_t type : {EntryFile, EntryFolder}) {
            const std::string bytes =
                MakePackage("", "zz", {MakeEntry(name, type, type == EntryFile ? 2 : -6, 16)}, 1);
            EXPECT_EQ(ExtractBytes(bytes), PkgErrFormat) << "[" << name << "]";
            EXPECT_TRUE(Tree(target()).empty()) << "[" << name << "]";
            ExpectNothingOutsideTarget();
        }
    }
    EXPECT_FALSE(fs::exists("/abs"));
}

TEST_F(PackageReaderTest, UnknownTypeStopsItsLevel) {
    const std::string bytes = MakePackage(
        "", "a", {MakeEntry("a", EntryFile, 1, 16), MakeEntry("b", 3, 0, 0), MakeEntry("c", EntryFile, 0, 17)}, 3);
    EXPECT_EQ(ExtractBytes(bytes), PkgErrFormat);
    EXPECT_EQ(Tree(target()), (std::map<std::string, std::string>{{"a", "a"}}));
}

TEST_F(PackageReaderTest, DataOutsideTheRegionIsNeverRead) {
    const std::string prefix = "SECRET-PREFIX";
    const uint32_t data = DataStart(prefix);
    // Before the data, past the directory, overlapping the directory's start.
    const std::string bytes = MakePackage(
        prefix, "1234",
        {MakeEntry("before", EntryFile, 6, 0), MakeEntry("after", EntryFile, 4, 0x10000),
         MakeEntry("overlap", EntryFile, 100, data + 2), MakeEntry("huge", EntryFile, 0x7FFFFFFF, data)},
        4);
    EXPECT_EQ(ExtractBytes(bytes), PkgErrRead);
    EXPECT_EQ(Tree(target()), (std::map<std::string, std::string>{
                                  {"before", ""}, {"after", ""}, {"overlap", "34"}, {"huge", "1234"}}));
}

TEST_F(PackageReaderTest, WriterErrorSizesCreateNothing) {
    const std::string bytes = MakePackage(
        "", "ok", {MakeEntry("unreadable", EntryFile, PkgErrSource, 16), MakeEntry("ok", EntryFile, 2, 16)}, 2);
    EXPECT_EQ(ExtractBytes(bytes), PkgOk);
    EXPECT_EQ(Tree(target()), (std::map<std::string, std::string>{{"ok", "ok"}}));
}

TEST_F(PackageReaderTest, CountsThatRunPastTheRecordsStop) {
    const std::string nested = MakePackage(
        "", "", {MakeEntry("d", EntryFolder, 1000, 0), MakeEntry("f", EntryFile, 0, 16)}, 1);
    EXPECT_EQ(ExtractBytes(nested), PkgErrFormat);
    EXPECT_EQ(Tree(target()), (std::map<std::string, std::string>{{"d", "<dir>"}, {"d/f", ""}}));

    const std::string top = MakePackage("", "", {MakeEntry("f", EntryFile, 0, 16)}, 0x7FFFFFFF);
    EXPECT_EQ(ExtractBytes(top), PkgErrFormat);
}

TEST_F(PackageReaderTest, DeepNestingEndsAtThePathLimit) {
    std::vector<PackageEntry> entries(20000, MakeEntry("d", EntryFolder, 1, 0));
    EXPECT_EQ(ExtractBytes(MakePackage("", "", entries, 1)), PkgErrCreate);
    ExpectNothingOutsideTarget();
}

TEST_F(PackageReaderTest, TheFirstFailureEndsTheExtraction) {
    const PackageEntry first = MakeEntry("a", EntryFile, 0, 16);
    const PackageEntry last = MakeEntry("z", EntryFile, 0, 16);
    struct Case {
        std::vector<PackageEntry> entries;
        int result;
        size_t made; // entries made before the failure
    };
    const std::vector<Case> cases = {
        // A name longer than the file system allows.
        {{first, MakeEntry(std::string(300, 'n'), EntryFile, 0, 16), last}, PkgErrCreate, 1},
        // A file and a folder of one name.
        {{first, MakeEntry("a", EntryFolder, 1, 0), MakeEntry("f", EntryFile, 0, 16), last}, PkgErrCreate, 1},
        // A nested failure: the folder's remaining entries are not taken for
        // the parent's.
        {{first, MakeEntry("d", EntryFolder, 2, 0), MakeEntry("..", EntryFile, 0, 16),
          MakeEntry("after", EntryFile, 0, 16), last},
         PkgErrFormat, 2},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(ExtractBytes(MakePackage("", "", test.entries, 3)), test.result) << test.entries[1].name;
        EXPECT_EQ(Tree(target()).size(), test.made) << test.entries[1].name;
        fs::remove_all(target());
    }
}

TEST_F(PackageReaderTest, ClaimsBeyondWhatTheFileHoldsAreRefused) {
    // A sparse 64 GiB file whose directory starts at the data: refused, with
    // no allocation of its size.
    std::string bytes = MakePackage("", "", {}, 1);
    WriteWholeFile(package(), bytes.substr(0, 16));
    fs::resize_file(package(), uint64_t{64} << 30);
    std::string trailer = bytes.substr(bytes.size() - 28);
    {
        std::ofstream file(package(), std::ios::binary | std::ios::in | std::ios::out | std::ios::ate);
        file << trailer;
    }
    PackageReader reader;
    EXPECT_EQ(reader.Extract(target(), package(), ExtractMakeRoot), PkgErrFormat);
    fs::remove(package());

    // Many entries sharing one run of bytes write no more than the package's size.
    const std::string data(65536, 'd');
    std::vector<PackageEntry> entries;
    for (int i = 0; i < 50; ++i) {
        entries.push_back(MakeEntry(std::string("f").append(std::to_string(i)), EntryFile, 65536, 16));
    }
    bytes = MakePackage("", data, entries, 50);
    EXPECT_EQ(ExtractBytes(bytes), PkgErrFormat);
    size_t total = 0;
    for (const auto& [name, content] : Tree(target())) {
        total += content.size();
    }
    EXPECT_LE(total, bytes.size());
}

TEST_F(PackageReaderTest, BrokenDirectories) {
    std::string ragged = MakePackage("", "", {MakeEntry("e", EntryFolder, -6, 0)}, 1);
    ragged.insert(ragged.size() - 28, "xyz"); // not a whole number of records
    EXPECT_EQ(ExtractBytes(ragged), PkgErrRead);

    std::string pastEnd = MakePackage("", "", {MakeEntry("e", EntryFolder, -6, 0)}, 1);
    pastEnd[pastEnd.size() - 28 + 7] = 0x40; // directory offset far past the end: no records
    EXPECT_EQ(ExtractBytes(pastEnd), PkgErrFormat);
    EXPECT_TRUE(Tree(target()).empty());
}

TEST_F(PackageReaderTest, EveryTruncationIsRefusedOrHarmless) {
    const std::string source = scratch / "src";
    fs::create_directories(source + "/sub");
    WriteWholeFile(source + "/a.swf", "0123456789");
    WriteWholeFile(scratch / "prefix", std::string(10, 'E'));
    PackageWriter writer(scratch / "prefix");
    ASSERT_EQ(writer.Pack(source, package(), PackCopySelf), PkgOk);
    const std::string whole = ReadWholeFile(package());
    fs::remove_all(source);
    fs::remove(scratch / "prefix");

    for (size_t length = 0; length < whole.size(); ++length) {
        const int result = ExtractBytes(whole.substr(0, length));
        ASSERT_NE(result, PkgOk) << length;
        ExpectNothingOutsideTarget();
        fs::remove_all(target());
    }
}

TEST_F(PackageReaderTest, MakeFolderPathMakesParents) {
    EXPECT_EQ(PackageReader::MakeFolderPath(scratch / "a/b/c"), PkgOk);
    EXPECT_TRUE(fs::is_directory(scratch / "a/b/c"));
    EXPECT_EQ(PackageReader::MakeFolderPath(scratch / "a/b/c"), PkgOk);
    EXPECT_EQ(PackageReader::MakeFolderPath(std::string(5000, 'n')), PkgErrCreate);
}

} // namespace
