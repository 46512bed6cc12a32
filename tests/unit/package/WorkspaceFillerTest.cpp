// A package read through its index, and written into a folder behind it.
#include "TestSupport.h"
#include "package/PackageIndex.h"
#include "package/PackageReader.h"
#include "package/PackageWriter.h"
#include "package/WorkspaceFiller.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

using namespace package;
namespace fs = std::filesystem;

std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> tree;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        tree[fs::relative(item.path(), root).string()] =
            item.is_directory() ? "<dir>" : ReadWholeFile(item.path().string());
    }
    return tree;
}

class WorkspaceFillerTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"src/Resource", "src/video/empty"}) {
            fs::create_directories(scratch / folder);
        }
        WriteWholeFile(scratch / "src/kest.xml", "<Book/>");
        WriteWholeFile(scratch / "src/Resource/Cover.JPG", std::string(3 << 20, 'c'));
        WriteWholeFile(scratch / "src/video/part1.bin", "video");
        WriteWholeFile(scratch / "prefix", "MZ");
        PackageWriter writer(scratch / "prefix");
        ASSERT_EQ(writer.Pack(scratch / "src", package, PackCopySelf), PkgOk);
        PackageReader reader;
        ASSERT_EQ(reader.Survey(workspace, package, 0, [this](const auto& entry) { index.Add(entry); }), PkgOk);
        fs::create_directory(workspace);
    }

    std::string Bytes(const PackageIndex::File& file) const {
        return ReadWholeFile(package).substr(file.offset, file.size);
    }

    ScratchFolder scratch;
    const std::string package = scratch / "mag";
    const std::string workspace = scratch / "KestA00001";
    PackageIndex index;
};

TEST_F(WorkspaceFillerTest, TheIndexFindsFilesAsTheFolderWould) {
    const auto find = [this](const std::string& path, bool windowsMatch) {
        const auto file = index.Find(workspace, {{path, platform::Encoding::Utf8}}, windowsMatch);
        return file ? file->path : "none";
    };
    EXPECT_EQ(find("Resource/Cover.JPG", false), "Resource/Cover.JPG");
    EXPECT_EQ(find("./video//part1.bin", false), "video/part1.bin");
    EXPECT_EQ(find(workspace + "/kest.xml", false), "kest.xml");
    EXPECT_EQ(find("resource\\cover.jpg", false), "none");
    EXPECT_EQ(find("resource\\cover.jpg", true), "Resource/Cover.JPG");
    for (const char* outside : {"../mag", "video", "video/empty", "/etc/passwd"}) {
        EXPECT_EQ(find(outside, true), "none") << outside;
    }
    EXPECT_EQ(Bytes(*index.Find(workspace, {{"video/part1.bin", platform::Encoding::Utf8}}, false)), "video");

    // A later entry of the same path is the one extraction leaves.
    PackageIndex twice;
    twice.Add({"a", false, 10, 1});
    twice.Add({"b", false, 20, 2});
    twice.Add({"a", false, 30, 3});
    ASSERT_EQ(twice.Files().size(), 2u);
    EXPECT_EQ(twice.Files()[0].offset, 30u);
}

TEST_F(WorkspaceFillerTest, FillsTheFolderAsExtractionWouldAndKeepsWhatIsThere) {
    WorkspaceFiller filler(package, workspace);
    filler.MakeFolders(index);
    // A movie's copy made before the filler came to that name.
    WriteWholeFile(workspace + "/video/part1.bin", "the movie's");
    EXPECT_EQ(filler.Fill(index.Files()), 0u);

    const std::string extracted = scratch / "extracted";
    PackageReader reader;
    ASSERT_EQ(reader.Extract(extracted, package, ExtractMakeRoot), PkgOk);
    auto expected = Tree(extracted);
    expected["video/part1.bin"] = "the movie's";
    EXPECT_EQ(Tree(workspace), expected); // nothing half-written or hidden is left
}

TEST_F(WorkspaceFillerTest, AStoppedOrFailingFillLeavesNoFileInPart) {
    WorkspaceFiller stopped(package, workspace);
    stopped.MakeFolders(index);
    stopped.Start(index.Files());
    stopped.Stop();
    for (const auto& [path, bytes] : Tree(workspace)) {
        if (bytes != "<dir>") {
            EXPECT_EQ(bytes, Bytes(*index.Find(workspace, {{path, platform::Encoding::Utf8}}, false))) << path;
        }
    }

    // A folder gone: what it held is said, the others are still written.
    fs::remove_all(workspace);
    fs::create_directory(workspace);
    WorkspaceFiller failing(package, workspace);
    failing.MakeFolders(index);
    fs::remove_all(workspace + "/video");
    testing::internal::CaptureStderr();
    EXPECT_EQ(failing.Fill(index.Files()), 1u);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("video/part1.bin not written to the temporary folder (No such file"), std::string::npos)
        << said;
    EXPECT_EQ(ReadWholeFile(workspace + "/kest.xml"), "<Book/>");
}

} // namespace
