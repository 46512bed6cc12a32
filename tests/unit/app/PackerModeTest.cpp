#include "TestSupport.h"
#include "package/PackageReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using namespace package;

namespace fs = std::filesystem;

const std::string kKest = KEST_EXECUTABLE;

class PackerModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(source());
        WriteWholeFile(source() + "/kest.xml", "<Book/>");
    }
    std::string source() const { return scratch / "my source"; }

    ProcessResult Kest(const std::string& arguments) {
        return RunCommand(Quoted(kKest) + " " + arguments, scratch.Path());
    }

    ScratchFolder scratch;
};

TEST_F(PackerModeTest, SuccessIsSilentAndWritesAProgram) {
    WriteWholeFile(source() + "/kest.xml", "<Book entrance=\"a.swf\" width=\"640\" height=\"480\"/>");
    WriteWholeFile(source() + "/a.swf", "CWS\x0a");
    const ProcessResult run = Kest("-o mag -p " + Quoted(source()));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    struct stat info {};
    ASSERT_EQ(::stat((scratch / "mag").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u);
    EXPECT_EQ(ReadWholeFile(scratch / "mag").substr(0, fs::file_size(kKest)), ReadWholeFile(kKest));
    PackageReader reader;
    EXPECT_EQ(reader.Probe(scratch / "mag"), PkgOk);
}

TEST_F(PackerModeTest, MissingOptionsPrintUsage) {
    for (const std::string& arguments :
         std::vector<std::string>{"-o mag", "-p " + Quoted(source()), "-b", "x y", "-o mag -p src extra"}) {
        const ProcessResult run = Kest(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("usage: kest -o MAGAZINE -p FOLDER"), std::string::npos) << arguments;
        EXPECT_FALSE(fs::exists(scratch / "mag")) << arguments;
    }
}

TEST_F(PackerModeTest, FailuresNameThePathAndTheReason) {
    fs::create_directory(scratch / "empty");
    ProcessResult run = Kest("-o mag -p empty");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kest: empty: nothing to pack (an empty, missing or unreadable folder)\n");

    run = Kest("-o no/such/folder/mag -p " + Quoted(source()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kest: no/such/folder/mag: cannot create: No such file or directory\n");

    fs::create_symlink(scratch / "gone", source() + "/dangling");
    run = Kest("-o mag -p " + Quoted(source()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kest: " + source() + "/dangling: skipped: a symbolic link\n");
    // A pack that skipped anything writes nothing.
    EXPECT_FALSE(fs::exists(scratch / "mag"));
}

TEST_F(PackerModeTest, DebugOptionShowsBothPathsAndLogs) {
    const ProcessResult run =
        RunCommand("tmp=" + Quoted(scratch.Path()) + " " + Quoted(kKest) + " -b -o mag -p src",
                   scratch.Path());
    // Without a display the two messages go to standard error; then the
    // missing folder is reported.
    EXPECT_EQ(run.err, "src: mag\nmag: src\nkest: src: nothing to pack (an empty, missing or "
                       "unreadable folder)\n");
    fs::rename(source(), scratch / "src");
    EXPECT_EQ(RunCommand("tmp=. " + Quoted(kKest) + " -b -o mag -p src", scratch.Path()).status, 0);
    EXPECT_EQ(ReadWholeFile(scratch / "debug.log"), "pk: kest.xml 7\n\n\n\n");
}

TEST_F(PackerModeTest, PackingAMagazineAppendsASecondPackage) {
    ASSERT_EQ(Kest("-o first -p " + Quoted(source())).status, 0);
    fs::create_directory(scratch / "second");
    WriteWholeFile(scratch / "second/other.txt", "second package");
    ASSERT_EQ(RunCommand("./first -o both -p second", scratch.Path()).status, 0);

    EXPECT_EQ(fs::file_size(scratch / "both"),
              fs::file_size(scratch / "first") + 16 + 14 + 1036 + 28);
    PackageReader reader;
    ASSERT_EQ(reader.Extract(scratch / "out", scratch / "both", ExtractMakeRoot), PkgOk);
    EXPECT_EQ(ReadWholeFile(scratch / "out/other.txt"), "second package");
    EXPECT_FALSE(fs::exists(scratch / "out/kest.xml"));
}

// A lone word names a magazine file to open; one that holds no package is
// said so, and nothing is shown or written.
TEST_F(PackerModeTest, OpeningAFileWithoutAMagazine) {
    WriteWholeFile(scratch / "plain", "no package here");
    for (const auto& [file, reason] : {std::pair{"plain", "holds no magazine"}, {"missing", "cannot be opened"},
                                       {" ", "cannot be opened"}}) {
        const ProcessResult run = Kest(Quoted(file));
        EXPECT_EQ(run.status, 1) << file;
        EXPECT_EQ(run.err, std::string("kest: ") + file + ": " + reason + "\n");
    }
    const ProcessResult help = Kest("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: kest -o MAGAZINE -p FOLDER"), std::string::npos);
    EXPECT_NE(help.out.find("kest MAGAZINE"), std::string::npos);
}

// A folder that would open with the package error is still packed (build
// scripts go on), with one warning per reason; -q silences them.
TEST_F(PackerModeTest, MagazinesThatWouldNotOpenAreWarnedAbout) {
    const std::string prefix = "kest: warning: " + source() + ": ";
    const struct {
        std::string manifest;
        std::string movie;
        std::string warnings;
    } cases[] = {
        {"", "", "kest.xml cannot be read: No such file or directory\n"},
        {"<Book entrance=\"a.swf\" width=\"1\" height=\"2\">", "FWS",
         "kest.xml: Element 'Book' at offset 0 not ended\n"},
        {"<Magazine/>", "", "kest.xml has no Book element\n"},
        {"<Book width=\"wide\"/>", "",
         "the Book element has no entrance attribute\n" + prefix + "the Book element's width \"wide\" is not a number\n" +
             prefix + "the Book element's height is missing\n"},
        {"<Book entrance=\"b.swf\" width=\"1\" height=\"2\"/>", "FWS", "the entrance movie b.swf is not in the folder\n"},
        {"<Book entrance=\"a.swf\" width=\"1\" height=\"2\"/>", "GIF89a", "the entrance movie a.swf is not a Flash movie\n"},
    };
    for (const auto& c : cases) {
        fs::remove_all(source());
        fs::create_directory(source());
        WriteWholeFile(source() + "/other.txt", "x");
        if (!c.manifest.empty()) {
            WriteWholeFile(source() + "/kest.xml", c.manifest);
        }
        if (!c.movie.empty()) {
            WriteWholeFile(source() + "/a.swf", c.movie);
        }
        ProcessResult run = Kest("-o mag -p " + Quoted(source()));
        EXPECT_EQ(run.status, 0) << c.manifest;
        EXPECT_EQ(run.err, prefix + c.warnings) << c.manifest;
        run = Kest("-q -o mag -p " + Quoted(source()));
        EXPECT_EQ(run.err, "") << c.manifest;
    }
}

// Every argument is one path, whatever blanks or quotation marks it holds.
TEST_F(PackerModeTest, ArgumentsAreTakenWhole) {
    WriteWholeFile(scratch / "precious", "keep me");
    fs::create_directory(scratch / "My \"best\" mag");
    WriteWholeFile(scratch / "My \"best\" mag/a.txt", "a");
    EXPECT_EQ(Kest("-q -o " + Quoted("\"precious copy\"") + " -p " + Quoted(source())).status, 0);
    EXPECT_EQ(ReadWholeFile(scratch / "precious"), "keep me");
    EXPECT_TRUE(fs::exists(scratch / "precious copy"));

    EXPECT_EQ(Kest("-q -o " + Quoted("a\" -o \"injected") + " -p " + Quoted("My \"best\" mag")).status, 0);
    EXPECT_FALSE(fs::exists(scratch / "injected"));
    fs::rename(scratch / "a\" -o \"injected", scratch / "quoted");
    PackageReader reader;
    ASSERT_EQ(reader.Extract(scratch / "out", scratch / "quoted", ExtractMakeRoot), PkgOk);
    EXPECT_EQ(ReadWholeFile(scratch / "out/a.txt"), "a");
}

} // namespace
