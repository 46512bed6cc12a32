// Navigation: the position after parses and searches, the name rule, and
// the viewer window's own sequence of calls.
#include "MarkupTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace markup;

struct Position {
    int32_t parent, current, child, kind;
    bool operator==(const Position&) const = default;
};

Position PositionOf(const MarkupDoc& doc) {
    return {doc.ParentPos(), doc.CurrentPos(), doc.ChildPos(), doc.NodeKind()};
}

TEST(MarkupNavigation, ViewerWindowSequence) {
    MarkupDoc doc;
    ASSERT_TRUE(ParseChecked(doc, "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n"
                                  "<Book entrance=\"\xd6\xd0\xce\xc4/main.swf\" width=\"800\"\r\n"
                                  "      height='600'><Page/></Book>"));
    doc.ResetPosition();
    EXPECT_FALSE(doc.LeaveElement());
    EXPECT_TRUE(doc.FindElement("Book"));
    EXPECT_EQ(doc.GetAttribute("entrance"), "\xd6\xd0\xce\xc4/main.swf");
    EXPECT_EQ(doc.GetAttribute("width"), "800");
    EXPECT_EQ(doc.GetAttribute("height"), "600");
    EXPECT_EQ(doc.GetAttribute("depth"), "");
    EXPECT_EQ(PositionOf(doc), (Position{0, 1, 0, 1}));
}

TEST(MarkupNavigation, NothingIsCurrentAtDocumentLevel) {
    MarkupDoc doc;
    ASSERT_TRUE(ParseChecked(doc, "<Book width='1'/>"));
    EXPECT_EQ(PositionOf(doc), (Position{0, 0, 0, 0}));
    EXPECT_FALSE(doc.LeaveElement());
    EXPECT_EQ(PositionOf(doc), (Position{0, 0, 0, 0}));
    EXPECT_EQ(doc.GetAttribute("width"), "");
    EXPECT_EQ(doc.GetAttributeOf(1, "width"), "") << "no current element yet";

    ASSERT_TRUE(doc.FindElement("Book"));
    EXPECT_EQ(doc.GetAttributeOf(1, "width"), "1");
    // Each parse, and ResetPosition, returns to document level.
    ASSERT_TRUE(ParseChecked(doc, "<Book width='2'/>"));
    EXPECT_EQ(PositionOf(doc), (Position{0, 0, 0, 0}));
    ASSERT_TRUE(doc.FindElement("Book"));
    doc.ResetPosition();
    EXPECT_EQ(PositionOf(doc), (Position{0, 0, 0, 0}));
}

TEST(MarkupNavigation, MissingElementLeavesThePosition) {
    MarkupDoc doc;
    ASSERT_TRUE(ParseChecked(doc, "<Magazine entrance='a.swf'/>"));
    EXPECT_FALSE(doc.FindElement("Book"));
    EXPECT_EQ(PositionOf(doc), (Position{0, 0, 0, 0}));
    EXPECT_EQ(doc.GetAttribute("entrance"), "");
}

TEST(MarkupNavigation, RepeatedSearchesWalkTheSiblings) {
    MarkupDoc doc;
    EXPECT_FALSE(ParseChecked(doc, "<Book n='1'/><Other/><Book n='2'><Book n='3'/></Book>"));
    EXPECT_TRUE(doc.FindElement("Book"));
    EXPECT_EQ(doc.GetAttribute("n"), "1");
    EXPECT_TRUE(doc.FindElement("Book"));
    EXPECT_EQ(doc.GetAttribute("n"), "2");
    EXPECT_FALSE(doc.FindElement("Book")) << "the nested Book is not a sibling";
    EXPECT_EQ(doc.GetAttribute("n"), "2");
    EXPECT_EQ(PositionOf(doc), (Position{0, 3, 0, 1}));

    // No name: the next element, whatever its name.
    doc.ResetPosition();
    EXPECT_TRUE(doc.FindElement(nullptr));
    EXPECT_TRUE(doc.FindElement(""));
    EXPECT_EQ(doc.CurrentPos(), 2);
    EXPECT_TRUE(doc.FindElement(""));
    EXPECT_FALSE(doc.FindElement(""));
}

TEST(MarkupNavigation, NameRule) {
    MarkupDoc doc;
    ASSERT_TRUE(ParseChecked(doc, "<Book/>"));
    for (const char* name : {"Book", "Book[2]", "Book x", "Book=1", "Book/", "Book]"}) {
        doc.ResetPosition();
        EXPECT_TRUE(doc.FindElement(name)) << name;
    }
    for (const char* name : {"Boo", "Books", "book", "Book.", "Book\t"}) {
        doc.ResetPosition();
        EXPECT_FALSE(doc.FindElement(name)) << name;
    }

    // Two-byte names compare byte for byte; case is ignored only on request.
    ASSERT_TRUE(ParseChecked(doc, "<\xd6\xd0"
                                  "Book/>"));
    EXPECT_TRUE(doc.FindElement("\xd6\xd0"
                                "Book"));
    ScanCursor cursor;
    cursor.text = doc.Text().c_str();
    cursor.nameStart = 1;
    cursor.nameEnd = 6;
    EXPECT_FALSE(MarkupDoc::NameMatches(cursor, "\xd6\xd0"
                                                "BOOK"));
    cursor.flags = MarkupDoc::IgnoreCase;
    EXPECT_TRUE(MarkupDoc::NameMatches(cursor, "\xd6\xd0"
                                               "BOOK"));
    EXPECT_FALSE(MarkupDoc::NameMatches(cursor, "\xd6\xd1"
                                                "BOOK"));
    // An empty range matches only a name that is empty up to its tail.
    cursor.nameEnd = 0;
    EXPECT_TRUE(MarkupDoc::NameMatches(cursor, ""));
    EXPECT_TRUE(MarkupDoc::NameMatches(cursor, "[1]"));
    EXPECT_FALSE(MarkupDoc::NameMatches(cursor, "a"));
}

TEST(MarkupNavigation, ChildSearch) {
    MarkupDoc doc;
    ASSERT_TRUE(ParseChecked(doc, "<r><a/><b/><a/></r>"));
    EXPECT_EQ(doc.FindChildByName(1, 0, "a"), 2);
    EXPECT_EQ(doc.FindChildByName(1, 2, "a"), 4);
    EXPECT_EQ(doc.FindChildByName(1, 4, "a"), 0);
    EXPECT_EQ(doc.FindChildByName(1, 0, "b"), 3);
    EXPECT_EQ(doc.FindChildByName(1, 2, nullptr), 3);
    EXPECT_EQ(doc.FindChildByName(0, 0, "r"), 1);
    // Indices outside the table find nothing.
    EXPECT_EQ(doc.FindChildByName(5, 0, "a"), 0);
    EXPECT_EQ(doc.FindChildByName(1, -1, "a"), 0);
    ASSERT_TRUE(doc.FindElement("r"));
    EXPECT_EQ(doc.GetAttributeOf(99, "a"), "");
}

TEST(MarkupNavigation, BrokenTablesNavigateLikeOthers) {
    MarkupDoc doc;
    EXPECT_FALSE(ParseChecked(doc, "<Book a='1'><x></Book><!-- cut"));
    ASSERT_TRUE(doc.FindElement("Book"));
    EXPECT_EQ(doc.GetAttribute("a"), "1");
    EXPECT_FALSE(doc.FindElement("x")) << "x stays inside Book";

    // Lifted elements are found at their new level.
    EXPECT_FALSE(ParseChecked(doc, "<Book><Page n='1'>"));
    ASSERT_TRUE(doc.FindElement("Book"));
    ASSERT_TRUE(doc.FindElement("Page"));
    EXPECT_EQ(doc.GetAttribute("n"), "1");
    EXPECT_FALSE(doc.LeaveElement());
}

// The search reads names from the text; it never reads past the terminating 0.
TEST(MarkupNavigation, ReadNameAndSkipSpace) {
    const std::string text = " \t\r\nab=c d\x81";
    int32_t offset = 0;
    EXPECT_TRUE(MarkupDoc::SkipSpace(text.c_str(), offset));
    EXPECT_EQ(offset, 4);
    ScanCursor cursor;
    cursor.text = text.c_str();
    EXPECT_TRUE(MarkupDoc::ReadName(cursor));
    EXPECT_EQ(cursor.nameStart, 4);
    EXPECT_EQ(cursor.nameEnd, 5);
    EXPECT_TRUE(MarkupDoc::ReadName(cursor)) << "a stop byte is a name of its own";
    EXPECT_EQ(cursor.nameStart, 6);
    EXPECT_EQ(cursor.nameEnd, 6);
    EXPECT_TRUE(MarkupDoc::ReadName(cursor));
    EXPECT_TRUE(MarkupDoc::ReadName(cursor));
    EXPECT_EQ(cursor.nameStart, 9);
    EXPECT_EQ(cursor.nameEnd, 10) << "the lead byte before the 0 is one character";
    EXPECT_FALSE(MarkupDoc::ReadName(cursor));
    EXPECT_EQ(cursor.nameStart, 11);
    EXPECT_EQ(cursor.nameEnd, 10);
    EXPECT_EQ(cursor.next, 11);
}

} // namespace
