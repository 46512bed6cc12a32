// The encoding a manifest is stepped by: UTF-8 manifests with Chinese text
// before the entrance, manifests of code page 936 read as they always were,
// and values that reach a host of another encoding.
#include "markup/MarkupDoc.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace markup;

using platform::Encoding;

// The Book element's attribute `name` of the manifest `text`.
std::string BookAttribute(const std::string& text, const char* name,
                          Encoding* encoding = nullptr) {
    MarkupDoc doc;
    (void)doc.SetText(text);
    (void)doc.FindElement("Book");
    if (encoding != nullptr) {
        *encoding = doc.TextEncoding();
    }
    return doc.GetAttribute(name);
}

std::string Book(const std::string& title) {
    return "<Book title=\"" + title + "\" entrance=\"read.swf\" width=\"640\"><Page/></Book>\n";
}

// Restores the host's encoding after a test that changes it.
class HostEncoding : public ::testing::Test {
protected:
    ~HostEncoding() override { platform::SetHostEncoding("UTF-8"); }
};

TEST(DocumentEncoding, Utf8ManifestsKeepTheirEntranceWhateverComesBefore) {
    // Titles whose last UTF-8 byte, read as a lead byte of code page 936,
    // swallowed the closing quote.
    const char* titles[] = {"中", "读", "第一期杂志", "春天的故事", "新年快乐", "页"};
    const std::string declarations[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", "<?xml version='1.0' encoding = 'utf-8'?>",
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF8\"?>", "<?xml version=\"1.0\"?>", "",
        "\xEF\xBB\xBF"};
    for (const std::string& declaration : declarations) {
        for (const char* title : titles) {
            SCOPED_TRACE(declaration + title);
            Encoding encoding = Encoding::Cp936;
            EXPECT_EQ(BookAttribute(declaration + Book(title), "entrance", &encoding), "read.swf");
            EXPECT_EQ(encoding, Encoding::Utf8);
            EXPECT_EQ(BookAttribute(declaration + Book(title), "title"), title);
        }
    }
}

TEST(DocumentEncoding, DeclaredCodePage936AndOtherNamesStepAsBefore) {
    // "\xD6" is a lead byte of code page 936: it takes the quote after it, so
    // the title runs on, exactly as stored magazines have always been read.
    for (const char* name : {"GBK", "gbk", "GB2312", "gb18030", "CP936", "Big5", "ISO-8859-1"}) {
        SCOPED_TRACE(name);
        const std::string declaration = std::string("<?xml version=\"1.0\" encoding=\"") + name + "\"?>";
        Encoding encoding = Encoding::Utf8;
        EXPECT_EQ(BookAttribute(declaration + Book("\xD6\xD0\xCE\xC4"), "entrance", &encoding),
                  "read.swf");
        EXPECT_EQ(encoding, Encoding::Cp936);
        EXPECT_EQ(BookAttribute(declaration + Book("\xD6\xD0\xCE\xC4"), "title"), "\xD6\xD0\xCE\xC4");
        EXPECT_EQ(BookAttribute(declaration + Book("\xD6"), "entrance"), "");
        // Even text that is valid UTF-8 steps by the declared code page.
        EXPECT_EQ(BookAttribute(declaration + Book("中"), "entrance"), "");
    }
    // Without a declaration, bytes that are not UTF-8 are taken as GBK.
    Encoding encoding = Encoding::Utf8;
    EXPECT_EQ(BookAttribute(Book("\xB6\xC1"), "entrance", &encoding), "read.swf");
    EXPECT_EQ(encoding, Encoding::Cp936);
    // An encoding named outside the declaration is no declaration.
    EXPECT_EQ(BookAttribute("<Book encoding=\"GBK\" title=\"中\" entrance=\"read.swf\"/>",
                            "entrance", &encoding),
              "read.swf");
    EXPECT_EQ(encoding, Encoding::Utf8);
}

TEST_F(HostEncoding, Utf8ValuesReachTheHostInItsEncoding) {
    const std::string manifest = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + Book("中文&#233;");
    EXPECT_EQ(BookAttribute(manifest, "title"), "中文é");
    platform::SetHostEncoding("GBK");
    EXPECT_EQ(BookAttribute(manifest, "title"), "\xD6\xD0\xCE\xC4\xA8\xA6");
    // Values of a code page 936 manifest keep their bytes on any host.
    const std::string stored = "<?xml version=\"1.0\" encoding=\"GBK\"?>" + Book("\xD6\xD0");
    EXPECT_EQ(BookAttribute(stored, "title"), "\xD6\xD0");
    platform::SetHostEncoding("UTF-8");
    EXPECT_EQ(BookAttribute(stored, "title"), "\xD6\xD0");
}

} // namespace
