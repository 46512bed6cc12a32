// Loading files and the result messages: the read message, the parse
// message and how they are joined, and files that must not be read.
#include "../TestSupport.h"
#include "MarkupTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

using namespace markup;

// Loads `path` into `doc` and checks the table whatever the outcome.
bool LoadChecked(MarkupDoc& doc, const std::string& path) {
    const bool loaded = doc.LoadFile(path.c_str());
    EXPECT_EQ(FindTableFault(doc), "") << path;
    return loaded;
}

class MarkupLoad : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder / name;
        WriteWholeFile(path, bytes);
        return path;
    }

    ScratchFolder folder;
    MarkupDoc doc;
};

TEST_F(MarkupLoad, ReadMessageComesFirst) {
    const std::string manifest = "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<Book entrance=\"a.swf\"/>\n";
    EXPECT_TRUE(LoadChecked(doc, Write("kest.xml", manifest)));
    EXPECT_EQ(doc.ResultText(), std::to_string(manifest.size()) + " bytes");
    EXPECT_EQ(doc.Text(), manifest);

    EXPECT_FALSE(LoadChecked(doc, Write("empty.xml", "")));
    EXPECT_EQ(doc.ResultText(), "0 bytes, Empty document");

    EXPECT_FALSE(LoadChecked(doc, Write("text.xml", std::string(532, 'x'))));
    EXPECT_EQ(doc.ResultText(), "532 bytes, No root element");

    EXPECT_FALSE(LoadChecked(doc, Write("two.xml", "<a/><b/>")));
    EXPECT_EQ(doc.ResultText(), "8 bytes, Root element has sibling");

    EXPECT_FALSE(LoadChecked(doc, Write("bad.xml", "<a><b></a>")));
    EXPECT_EQ(doc.ResultText(),
              "10 bytes, End tag 'a' at offset 7 does not match start tag 'b' at offset 3");

    // Only the first error of a parse is told.
    EXPECT_FALSE(LoadChecked(doc, Write("errors.xml", "<a></x><1></a>")));
    EXPECT_EQ(doc.ResultText(), "14 bytes, No start tag for end tag 'x' at offset 3");
}

TEST_F(MarkupLoad, SetTextHasNoReadMessage) {
    EXPECT_TRUE(LoadChecked(doc, Write("a.xml", "<a/>")));
    EXPECT_TRUE(ParseChecked(doc, "<b/>"));
    EXPECT_EQ(doc.ResultText(), "");
    EXPECT_FALSE(ParseChecked(doc, "<b>"));
    EXPECT_EQ(doc.ResultText(), "Element 'b' at offset 0 not ended");
    EXPECT_FALSE(doc.SetText(nullptr));
    EXPECT_EQ(FindTableFault(doc), "");
    EXPECT_EQ(doc.ResultText(), "Empty document");
}

TEST_F(MarkupLoad, ReadTextFileKeepsEveryByte) {
    const std::string bytes("\xEF\xBB\xBF<a>\r\n\xd6\xd0\0</a>", 15);
    std::string text = "old";
    std::string message;
    EXPECT_TRUE(MarkupDoc::ReadTextFile(Write("raw", bytes).c_str(), text, &message));
    EXPECT_EQ(text, bytes);
    EXPECT_EQ(message, "15 bytes");
    EXPECT_TRUE(MarkupDoc::ReadTextFile(Write("raw2", "x").c_str(), text, nullptr));
    EXPECT_EQ(text, "x");
}

// Whatever cannot be read leaves the text, the table and the position alone;
// only the message tells why.
TEST_F(MarkupLoad, UnreadableFilesChangeNothingButTheMessage) {
    ASSERT_TRUE(LoadChecked(doc, Write("kest.xml", "<Book width='800'/>")));
    ASSERT_TRUE(doc.FindElement("Book"));

    const std::string sparse = folder / "huge.xml";
    std::filesystem::resize_file(Write("huge.xml", ""), std::uintmax_t{1} << 31);
    const struct {
        std::string path;
        int error;
    } cases[] = {
        {folder / "missing.xml", ENOENT},
        {folder.Path(), EISDIR},
        {"/dev/null", ESPIPE},
        {sparse, EFBIG},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(LoadChecked(doc, c.path)) << c.path;
        EXPECT_EQ(doc.ResultText(), std::strerror(c.error)) << c.path;
        EXPECT_EQ(doc.Text(), "<Book width='800'/>");
        EXPECT_EQ(doc.UsedCount(), 2);
        EXPECT_EQ(doc.CurrentPos(), 1);
        EXPECT_EQ(doc.GetAttribute("width"), "800");

        std::string text = "kept";
        std::string message;
        EXPECT_FALSE(MarkupDoc::ReadTextFile(c.path.c_str(), text, &message));
        EXPECT_EQ(text, "kept");
        EXPECT_EQ(message, std::strerror(c.error));
    }
}

} // namespace
