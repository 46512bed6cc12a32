// A magazine's files: its folder's before its package's, each magazine its own.
#include "package/ContentFiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace package;

// A content folder beside a package file whose index lists some of its bytes.
struct Magazine {
    explicit Magazine(const std::string& name) : folder(scratch / name), packagePath(scratch / (name + ".pkg")) {
        std::filesystem::create_directories(folder);
        WriteWholeFile(packagePath, name + "-package");
    }
    void Pack(const std::string& path, uint64_t offset, uint64_t size) { index.Add({path, false, offset, size}); }
    std::string Read(const std::string& path) const {
        std::string bytes;
        return files.Read({{path, platform::Encoding::Utf8}}, bytes, 100) ? bytes : "none";
    }

    ScratchFolder scratch;
    std::string folder;
    std::string packagePath;
    PackageIndex index;
    ContentFiles files{folder, index, packagePath};
};

TEST(ContentFiles, TheFoldersFilesComeBeforeThePackagesAtEachStep) {
    Magazine magazine("a");
    WriteWholeFile(magazine.folder + "/Disk.txt", "disk");
    WriteWholeFile(magazine.folder + "/Both.txt", "copied");
    magazine.Pack("both.txt", 0, 1);
    magazine.Pack("Only.txt", 2, 7); // "package"
    magazine.Pack("DISK.txt", 0, 1);
    EXPECT_EQ(magazine.Read("Both.txt"), "copied");
    EXPECT_EQ(magazine.Read("both.txt"), "a");      // spelled exactly in the package
    EXPECT_EQ(magazine.Read("disk.TXT"), "disk");   // matched in the folder first
    EXPECT_EQ(magazine.Read("only.TXT"), "package");
    EXPECT_EQ(magazine.Read(magazine.folder + "/Only.txt"), "package");
    EXPECT_EQ(magazine.Read("none"), "none");
    const auto found = magazine.files.Find({{"Only.txt", platform::Encoding::Utf8}});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, magazine.packagePath);
    EXPECT_EQ(magazine.files.Folder(), magazine.folder);
    // The folder alone knows nothing of the package.
    const ContentFiles folderOnly(magazine.folder);
    EXPECT_FALSE(folderOnly.Find({{"Only.txt", platform::Encoding::Utf8}}));
}

TEST(ContentFiles, TwoMagazinesInOneProcessSeeOnlyTheirOwnFiles) {
    Magazine first("first");
    Magazine second("second");
    first.Pack("cover.jpg", 0, 5);
    second.Pack("cover.jpg", 0, 6);
    second.Pack("extra.jpg", 7, 7);
    WriteWholeFile(first.folder + "/copy.txt", "first's copy");
    EXPECT_EQ(first.Read("cover.jpg"), "first");
    EXPECT_EQ(second.Read("cover.jpg"), "second");
    EXPECT_EQ(first.Read("extra.jpg"), "none");
    EXPECT_EQ(second.Read("extra.jpg"), "package");
    EXPECT_EQ(second.Read("copy.txt"), "none");
    EXPECT_EQ(second.Read(first.folder + "/copy.txt"), "none");
}

} // namespace
