#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The program without a package, beside no manifest: it says where it looked
// and ends without a window, leaving nothing in the temporary folder.
TEST(ViewerMode, NoMagazineBesideTheProgram) {
    ScratchFolder scratch;
    fs::create_directory(scratch / "tmp");
    fs::copy_file(KEST_EXECUTABLE, scratch / "viewer");
    fs::permissions(scratch / "viewer", fs::perms::owner_exec, fs::perm_options::add);

    const ProcessResult run = RunCommand("tmp=tmp ./viewer", scratch.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kest: no magazine found: " + scratch.Path() +
                           "/viewer does not hold a package and " + scratch.Path() +
                           "/kest.xml cannot be read\n");
    EXPECT_TRUE(fs::is_empty(scratch / "tmp"));
}

// A packed magazine on a machine without a display: the Workspace is made
// and removed again, and the missing display is reported.
TEST(ViewerMode, PackageWithoutDisplayCleansUp) {
    ScratchFolder scratch;
    fs::create_directories(scratch / "tmp");
    fs::create_directories(scratch / "src");
    WriteWholeFile(scratch / "src/kest.xml", "<Book entrance=\"a.swf\"/>");
    ASSERT_EQ(RunCommand(Quoted(KEST_EXECUTABLE) + " -o mag -p src", scratch.Path()).status, 0);

    const ProcessResult run = RunCommand("tmp=tmp ./mag", scratch.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("kest: cannot open the display"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("ex:  kest.xml 24\n"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::is_empty(scratch / "tmp"));
}

// A temporary folder that cannot hold the Workspace (a file, below a file):
// the path and the reason are said on standard error and in the box, and
// the viewer ends without a window.
TEST(ViewerMode, WorkspaceThatCannotBeMadeIsReported) {
    ScratchFolder scratch;
    fs::create_directories(scratch / "src");
    WriteWholeFile(scratch / "src/kest.xml", "<Book entrance=\"a.swf\"/>");
    WriteWholeFile(scratch / "file", "");
    ASSERT_EQ(RunCommand(Quoted(KEST_EXECUTABLE) + " -o mag -p src", scratch.Path()).status, 0);

    for (const std::string tmp : {"file", "file/below"}) {
        const ProcessResult run = RunCommand("tmp=" + tmp + " ./mag", scratch.Path());
        EXPECT_EQ(run.status, 1);
        const std::string reason = "cannot make the temporary folder " + scratch.Path() + "/" + tmp + ": ";
        EXPECT_NE(run.err.find("kest: " + reason), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("提示: 杂志包错误！\n" + reason), std::string::npos) << run.err;
    }
}

// A magazine whose package cannot be extracted whole is not shown: the
// package error says why, and the Workspace is gone.
TEST(ViewerMode, DamagedPackageIsReported) {
    ScratchFolder scratch;
    fs::create_directories(scratch / "tmp");
    fs::create_directories(scratch / "src");
    WriteWholeFile(scratch / "src/kest.xml", "<Book entrance=\"a.swf\"/>");
    WriteWholeFile(scratch / "src/zz", "data");
    ASSERT_EQ(RunCommand(Quoted(KEST_EXECUTABLE) + " -q -o mag -p src", scratch.Path()).status, 0);
    // The directory's name "zz" becomes "..".
    std::string bytes = ReadWholeFile(scratch / "mag");
    const size_t name = bytes.rfind(std::string("zz\0", 3));
    ASSERT_NE(name, std::string::npos);
    bytes.replace(name, 2, "..");
    WriteWholeFile(scratch / "mag", bytes);

    const ProcessResult run = RunCommand("tmp=tmp ./mag", scratch.Path());
    EXPECT_EQ(run.status, 1);
    const std::string reason = scratch.Path() + "/mag: the magazine is damaged\n";
    EXPECT_NE(run.err.find("kest: " + reason), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("提示: 杂志包错误！\n" + reason), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(scratch / "tmp"));
}

} // namespace
