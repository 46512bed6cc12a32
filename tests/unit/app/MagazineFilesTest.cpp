#include "TestSupport.h"
#include "app/ProgressLine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class MagazineFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(scratch / "src/resource");
        fs::create_directories(scratch / "src/empty");
        WriteWholeFile(scratch / "src/kest.xml", "<Book/>");
        WriteWholeFile(scratch / "src/resource/bg\x1b[2J.jpg", "pixels");
        EXPECT_EQ(Kest("-q -o mag -p src").status, 0);
    }

    ProcessResult Kest(const std::string& arguments) {
        return RunCommand(Quoted(KEST_EXECUTABLE) + " " + arguments, scratch.Path());
    }

    ScratchFolder scratch;
};

TEST_F(MagazineFilesTest, ListingShowsEveryEntryInPackageOrder) {
    const ProcessResult run = Kest("-l mag");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "           7  kest.xml\n"
                       "              empty/\n"
                       "              resource/\n"
                       "           6  resource/bg\\x1b[2J.jpg\n"
                       "          13  in 2 files and 2 folders\n");
    EXPECT_EQ(Kest("-l src/kest.xml").err, "kest: src/kest.xml: holds no magazine\n");
}

TEST_F(MagazineFilesTest, ExtractionFillsANewOrEmptyFolderOnly) {
    ASSERT_EQ(Kest("-x mag -d out").status, 0);
    EXPECT_EQ(ReadWholeFile(scratch / "out/resource/bg\x1b[2J.jpg"), "pixels");
    EXPECT_TRUE(fs::is_directory(scratch / "out/empty"));

    const ProcessResult again = Kest("-x mag -d out");
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, "kest: out: exists and is not an empty folder\n");

    fs::create_directory(scratch / "ready");
    EXPECT_EQ(Kest("-x mag -d ready").status, 0);
    EXPECT_EQ(ReadWholeFile(scratch / "ready/kest.xml"), "<Book/>");
}

// Quotation marks are part of the names a user gives.
TEST_F(MagazineFilesTest, QuotedNamesAreTakenAsTheyAre) {
    fs::rename(scratch / "mag", scratch / "my \"best\" mag");
    EXPECT_EQ(Kest("-l " + Quoted("my \"best\" mag")).status, 0);
    ASSERT_EQ(Kest("-x " + Quoted("my \"best\" mag") + " -d " + Quoted("\"out\"")).status, 0);
    EXPECT_EQ(ReadWholeFile(scratch / "\"out\"/kest.xml"), "<Book/>");
}

// A package that fails part way leaves nothing of itself behind.
TEST_F(MagazineFilesTest, FailedExtractionRemovesWhatItWrote) {
    std::string bytes = ReadWholeFile(scratch / "mag");
    const size_t name = bytes.rfind(std::string("resource\0", 9));
    ASSERT_NE(name, std::string::npos);
    bytes.replace(name, 8, "../../xx");
    WriteWholeFile(scratch / "mag", bytes);
    fs::create_directory(scratch / "kept");

    for (const char* folder : {"made", "kept"}) {
        const ProcessResult run = Kest(std::string("-x mag -d ") + folder);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "kest: mag: the magazine is damaged\n");
    }
    EXPECT_FALSE(fs::exists(scratch / "made"));
    EXPECT_TRUE(fs::is_empty(scratch / "kept"));
}

TEST(ProgressLine, Figures) {
    EXPECT_EQ(app::FormatProgress("packing", 512, 1536, 2.0), "kest: packing 512 bytes of 1.5 KiB, 256 bytes/s");
    EXPECT_EQ(app::FormatProgress("extracting", 3u << 30, 5ull << 30, 0.5),
              "kest: extracting 3.0 GiB of 5.0 GiB, 6.0 GiB/s");
}

} // namespace
