// A package's files found through its index, as the Workspace would find them.
#include "package/PackageIndex.h"
#include "TestSupport.h"
#include "package/PackageWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace package;
namespace fs = std::filesystem;

TEST(PackageIndex, FindsFilesAsTheFolderWouldAndReadsTheirBytes) {
    ScratchFolder scratch;
    fs::create_directories(scratch / "src/Resource");
    fs::create_directories(scratch / "src/video/empty");
    WriteWholeFile(scratch / "src/kest.xml", "<Book/>");
    WriteWholeFile(scratch / "src/Resource/Cover.JPG", "cover");
    WriteWholeFile(scratch / "src/video/part1.bin", "video");
    WriteWholeFile(scratch / "prefix", "MZ");
    PackageWriter writer(scratch / "prefix");
    ASSERT_EQ(writer.Pack(scratch / "src", scratch / "mag", PackCopySelf), PkgOk);
    const std::string workspace = scratch / "KestA00001";
    PackageIndex index;
    PackageReader reader;
    ASSERT_EQ(reader.Survey(workspace, scratch / "mag", 0,
                            [&index](const auto& entry) { index.Add(entry); }),
              PkgOk);

    const std::string bytes = ReadWholeFile(scratch / "mag");
    const auto find = [&](const std::string& path, bool windowsMatch) {
        const auto file = index.Find(workspace, {{path, platform::Encoding::Utf8}}, windowsMatch);
        return file ? file->path + "=" + bytes.substr(file->offset, file->size) : "none";
    };
    EXPECT_EQ(find("Resource/Cover.JPG", false), "Resource/Cover.JPG=cover");
    EXPECT_EQ(find("./video//part1.bin", false), "video/part1.bin=video");
    EXPECT_EQ(find(workspace + "/kest.xml", false), "kest.xml=<Book/>");
    EXPECT_EQ(find("resource\\cover.jpg", false), "none");
    EXPECT_EQ(find("resource\\cover.jpg", true), "Resource/Cover.JPG=cover");
    for (const char* outside :
         {"../mag", "video", "video/empty", "/etc/passwd", "video/../../mag"}) {
        EXPECT_EQ(find(outside, true), "none") << outside;
        EXPECT_EQ(find(outside, false), "none") << outside;
    }
    EXPECT_EQ(index.Folders(), (std::vector<std::string>{"Resource", "video", "video/empty"}));

    // A later entry of the same path is the one extraction leaves.
    PackageIndex twice;
    twice.Add({"a", false, 10, 1});
    twice.Add({"a", false, 30, 3});
    EXPECT_EQ(twice.Find("/w", {{"a", platform::Encoding::Utf8}}, false)->offset, 30u);
}

} // namespace
