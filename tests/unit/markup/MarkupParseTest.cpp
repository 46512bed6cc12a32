// The element table after good and broken input: records, links, flags,
// recovery, growth, and the limits of the record fields.
#include "MarkupTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace markup;

bool Flag(const MarkupDoc& doc, int32_t index, int32_t flag) { return doc.Record(index).Has(flag); }

TEST(MarkupParse, NewDocumentHoldsTheEmptyText) {
    MarkupDoc doc;
    EXPECT_EQ(FindTableFault(doc), "");
    EXPECT_EQ(doc.UsedCount(), 1);
    EXPECT_EQ(doc.ResultText(), "Empty document");
    EXPECT_FALSE(doc.Parse());
    EXPECT_EQ(FindTableFault(doc), "");
    EXPECT_EQ(doc.Record(0).firstChild, 0);
    EXPECT_EQ(doc.Flags(), 0);
}

TEST(MarkupParse, WellFormedTree) {
    MarkupDoc doc;
    const std::string text = "<?xml version=\"1.0\" encoding=\"GBK\"?>\n"
                             "<r>\n <a x='1'/>\n <b><c>\xd6\xd0</c><d/></b >\n</r>\n";
    ASSERT_TRUE(ParseChecked(doc, text));
    EXPECT_EQ(doc.ResultText(), "");
    EXPECT_EQ(doc.UsedCount(), 6);
    EXPECT_EQ(ChildNames(doc, 0), "r");
    EXPECT_EQ(ChildNames(doc, 1), "a b");
    EXPECT_EQ(ChildNames(doc, 3), "c d");

    const ElementRecord& r = doc.Record(1);
    EXPECT_EQ(r.start, static_cast<int32_t>(text.find("<r>")));
    EXPECT_EQ(r.start + r.length, static_cast<int32_t>(text.size()) - 1);
    EXPECT_EQ(r.StartTagLength(), 3);
    EXPECT_EQ(r.EndTagLength(), 4);
    EXPECT_EQ(r.Level(), 0);

    const ElementRecord& a = doc.Record(2);
    EXPECT_EQ(a.length, 10) << "an empty element is its start tag";
    EXPECT_EQ(a.EndTagLength(), 0);
    const ElementRecord& b = doc.Record(3);
    EXPECT_EQ(b.EndTagLength(), 5);
    EXPECT_EQ(text.substr(static_cast<size_t>(b.start), static_cast<size_t>(b.length)),
              "<b><c>\xd6\xd0</c><d/></b >");
    EXPECT_EQ(doc.Record(4).Level(), 2);
    EXPECT_TRUE(Flag(doc, 2, MarkupDoc::WasFirstChild));
    EXPECT_FALSE(Flag(doc, 3, MarkupDoc::WasFirstChild));
    EXPECT_EQ(doc.Record(0).length, static_cast<int32_t>(text.size()));
    EXPECT_EQ(doc.Record(0).levelFlags, 0);
}

TEST(MarkupParse, DocumentLevelMessages) {
    MarkupDoc doc;
    EXPECT_FALSE(ParseChecked(doc, "just text <!-- and a comment -->"));
    EXPECT_EQ(doc.ResultText(), "No root element");
    EXPECT_EQ(doc.UsedCount(), 1);

    // Both elements are kept; the text is not marked ill-formed.
    EXPECT_FALSE(ParseChecked(doc, "<a/><b></b>"));
    EXPECT_EQ(doc.ResultText(), "Root element has sibling");
    EXPECT_EQ(ChildNames(doc, 0), "a b");
    EXPECT_FALSE(Flag(doc, 0, MarkupDoc::IllFormed));

    EXPECT_FALSE(ParseChecked(doc, ""));
    EXPECT_EQ(doc.ResultText(), "Empty document");
    EXPECT_EQ(doc.UsedCount(), 1);
}

TEST(MarkupParse, EmptyElementNeedsSpaceOrQuoteBeforeSlash) {
    MarkupDoc doc;
    for (const char* text : {"<a/>", "<a />", "<a x='1'/>"}) {
        EXPECT_TRUE(ParseChecked(doc, text)) << text;
    }
    EXPECT_FALSE(ParseChecked(doc, "<a x=1/>"));
    EXPECT_EQ(doc.ResultText(), "Element 'a' at offset 0 not ended");
    EXPECT_FALSE(ParseChecked(doc, "<r><a x/></r>"));
    EXPECT_EQ(doc.ResultText(), "End tag 'r' at offset 10 does not match start tag 'a' at offset 3");
}

TEST(MarkupParse, MismatchedEndTagClosesInnerElements) {
    MarkupDoc doc;
    EXPECT_FALSE(ParseChecked(doc, "<a><b></a>"));
    EXPECT_EQ(doc.ResultText(), "End tag 'a' at offset 7 does not match start tag 'b' at offset 3");
    EXPECT_TRUE(Flag(doc, 0, MarkupDoc::IllFormed));
    EXPECT_EQ(doc.Record(1).length, 10);
    EXPECT_EQ(doc.Record(1).EndTagLength(), 4);
    EXPECT_TRUE(Flag(doc, 2, MarkupDoc::Unended));
    EXPECT_EQ(doc.Record(2).length, 3);
    EXPECT_EQ(doc.Record(2).EndTagLength(), 0);

    // Closed together, the innermost is named; the children of each follow it.
    EXPECT_FALSE(ParseChecked(doc, "<r><a><b><c/></r>"));
    EXPECT_EQ(doc.ResultText(), "End tag 'r' at offset 14 does not match start tag 'b' at offset 6");
    EXPECT_EQ(ChildNames(doc, 1), "a b c");
    EXPECT_EQ(doc.Record(1).firstChild, 2);
    EXPECT_EQ(doc.Record(4).Level(), 3) << "lifted elements keep their level";
}

TEST(MarkupParse, StrayEndTagIsSkipped) {
    MarkupDoc doc;
    EXPECT_FALSE(ParseChecked(doc, "<a></b></a>"));
    EXPECT_EQ(doc.ResultText(), "No start tag for end tag 'b' at offset 3");
    EXPECT_EQ(doc.Record(1).length, 11);
    EXPECT_FALSE(Flag(doc, 1, MarkupDoc::Unended));
    EXPECT_TRUE(Flag(doc, 1, MarkupDoc::HasError));
    EXPECT_TRUE(Flag(doc, 0, MarkupDoc::IllFormed));

    EXPECT_FALSE(ParseChecked(doc, "</x><a/>"));
    EXPECT_TRUE(Flag(doc, 0, MarkupDoc::HasError)) << "errors at the top level mark record 0";
}

TEST(MarkupParse, UnendedElementsAtTheEndOfText) {
    MarkupDoc doc;
    EXPECT_FALSE(ParseChecked(doc, "<x><y><z></z>"));
    // "Element 'y' ... not ended" came first, but the lifted siblings replace it.
    EXPECT_EQ(doc.ResultText(), "Root element has sibling");
    EXPECT_TRUE(Flag(doc, 0, MarkupDoc::IllFormed));
    EXPECT_EQ(ChildNames(doc, 0), "x y z");
    EXPECT_TRUE(Flag(doc, 1, MarkupDoc::Unended));
    EXPECT_TRUE(Flag(doc, 2, MarkupDoc::Unended));
    EXPECT_FALSE(Flag(doc, 3, MarkupDoc::Unended));
    EXPECT_EQ(doc.Record(3).length, 7);

    EXPECT_FALSE(ParseChecked(doc, "<x><y>"));
    EXPECT_EQ(doc.ResultText(), "Root element has sibling");
    EXPECT_FALSE(ParseChecked(doc, "<x>text"));
    EXPECT_EQ(doc.ResultText(), "Element 'x' at offset 0 not ended");
}

TEST(MarkupParse, MalformedTokenMarksItsElement) {
    MarkupDoc doc;
    EXPECT_FALSE(ParseChecked(doc, "<r><a><1></a></r>"));
    EXPECT_EQ(doc.ResultText(), "Incorrect tag name character at offset 6");
    EXPECT_TRUE(Flag(doc, 2, MarkupDoc::HasError));
    EXPECT_FALSE(Flag(doc, 1, MarkupDoc::HasError));
    EXPECT_EQ(doc.Record(1).EndTagLength(), 4) << "parsing goes on after the bad token";

    // Closing an element by recovery hands its error to the parent.
    EXPECT_FALSE(ParseChecked(doc, "<r><a><1></r>"));
    EXPECT_EQ(doc.ResultText(), "Incorrect tag name character at offset 6");
    EXPECT_TRUE(Flag(doc, 1, MarkupDoc::HasError));
    EXPECT_FALSE(Flag(doc, 2, MarkupDoc::HasError));

    EXPECT_FALSE(ParseChecked(doc, "<r/><!-- open"));
    EXPECT_EQ(doc.ResultText(), "Comment at offset 4 unterminated");
}

TEST(MarkupParse, ZeroByteEndsTheText) {
    MarkupDoc doc;
    const std::string text("<a/>\0<b/>", 9);
    EXPECT_TRUE(ParseChecked(doc, text));
    EXPECT_EQ(doc.UsedCount(), 2);
    EXPECT_EQ(doc.Record(0).length, 9);
}

TEST(MarkupParse, EndTagClosesByTheNameRule) {
    MarkupDoc doc;
    EXPECT_TRUE(ParseChecked(doc, "<a=b></a>"));
    EXPECT_FALSE(ParseChecked(doc, "<ab></a>"));
    EXPECT_FALSE(ParseChecked(doc, "<a></ab>"));
    EXPECT_FALSE(ParseChecked(doc, "<A></a>")) << "names compare case-sensitively";
}

TEST(MarkupParse, TableGrowsBlockByBlockAndKeepsRecords) {
    MarkupDoc doc;
    EXPECT_EQ(doc.Capacity(), 8);
    // One block at most per call.
    doc.GrowTable(200000);
    EXPECT_EQ(doc.Capacity(), 2 * MarkupDoc::kBlockRecords);
    doc.GrowTable(100);
    EXPECT_EQ(doc.Capacity(), 2 * MarkupDoc::kBlockRecords) << "never shrinks";

    // Short elements outgrow the table sized from the text length.
    constexpr int kElements = 200000;
    std::string text = "<r>";
    for (int i = 0; i < kElements; ++i) {
        text += "<e/>";
    }
    text += "</r>";
    ASSERT_TRUE(ParseChecked(doc, text));
    EXPECT_EQ(doc.UsedCount(), kElements + 2);
    EXPECT_GE(doc.Capacity(), doc.UsedCount());
    for (const int32_t index : {2, MarkupDoc::kBlockRecords - 1, MarkupDoc::kBlockRecords,
                                3 * MarkupDoc::kBlockRecords + 5, kElements + 1}) {
        EXPECT_EQ(doc.Record(index).start, 3 + 4 * (index - 2)) << index;
        EXPECT_EQ(doc.Record(index).parent, 1);
    }

    // A new parse reuses the blocks.
    const int32_t capacity = doc.Capacity();
    EXPECT_TRUE(ParseChecked(doc, "<r/>"));
    EXPECT_EQ(doc.UsedCount(), 2);
    EXPECT_EQ(doc.Capacity(), capacity);
}

TEST(MarkupParse, GrowingKeepsRecordsAcrossBlocks) {
    MarkupDoc doc;
    std::string text = "<r>";
    for (int i = 0; i < 1000; ++i) {
        text += "<e/>";
    }
    ASSERT_TRUE(ParseChecked(doc, text + "</r>"));
    const ElementRecord last = doc.Record(doc.UsedCount() - 1);
    int calls = 0;
    while (doc.Capacity() < 5 * MarkupDoc::kBlockRecords) {
        doc.GrowTable(10 * MarkupDoc::kBlockRecords);
        ++calls;
    }
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(doc.SegmentSlots(), 2 * 4 + 4);
    EXPECT_EQ(FindTableFault(doc), "");
    EXPECT_EQ(doc.Record(doc.UsedCount() - 1).start, last.start);
    EXPECT_EQ(doc.Record(doc.UsedCount() - 1).parent, 1);
}

// What the record fields cannot hold is refused as a malformed token, never
// stored cut short.
TEST(MarkupParse, StartTagTooLongForItsField) {
    MarkupDoc doc;
    constexpr int32_t kLongest = ElementRecord::kStartTagMask;
    // "<a" + spaces + "/>" of exactly the longest length still fits.
    std::string fits = "<r><a" + std::string(kLongest - 4, ' ') + "/></r>";
    ASSERT_TRUE(ParseChecked(doc, fits));
    EXPECT_EQ(doc.Record(2).StartTagLength(), kLongest);
    EXPECT_EQ(doc.Record(2).length, kLongest);

    std::string tooLong = "<r><a" + std::string(kLongest - 3, ' ') + "/></r>";
    EXPECT_FALSE(ParseChecked(doc, tooLong));
    EXPECT_EQ(doc.ResultText(), "Element tag at offset 3 too long");
    EXPECT_EQ(doc.UsedCount(), 2);
    EXPECT_TRUE(Flag(doc, 0, MarkupDoc::IllFormed));
    EXPECT_TRUE(Flag(doc, 1, MarkupDoc::HasError));
    EXPECT_EQ(doc.Record(1).EndTagLength(), 4);
}

TEST(MarkupParse, EndTagTooLongForItsField) {
    MarkupDoc doc;
    constexpr int32_t kLongest = ElementRecord::kEndTagMax;
    ASSERT_TRUE(ParseChecked(doc, "<r></r" + std::string(kLongest - 4, ' ') + ">"));
    EXPECT_EQ(doc.Record(1).EndTagLength(), kLongest);

    EXPECT_FALSE(ParseChecked(doc, "<r><a></a" + std::string(kLongest - 3, ' ') + "></r>"));
    EXPECT_EQ(doc.ResultText(), "Element end tag at offset 6 too long");
    EXPECT_TRUE(Flag(doc, 2, MarkupDoc::Unended)) << "the refused end tag closes nothing";
    EXPECT_TRUE(Flag(doc, 1, MarkupDoc::HasError));
}

TEST(MarkupParse, NestingDeeperThanTheLevelField) {
    MarkupDoc doc;
    constexpr int32_t kLevels = ElementRecord::kLevelMax + 1;
    std::string text;
    for (int32_t i = 0; i <= kLevels; ++i) {
        text += "<a>";
    }
    for (int32_t i = 0; i < kLevels; ++i) {
        text += "</a>";
    }
    EXPECT_FALSE(ParseChecked(doc, text));
    EXPECT_EQ(doc.ResultText(), "Element 'a' at offset " + std::to_string(3 * kLevels) +
                                    " nested too deeply");
    EXPECT_EQ(doc.UsedCount(), kLevels + 1);
    EXPECT_EQ(doc.Record(kLevels).Level(), ElementRecord::kLevelMax);
    EXPECT_TRUE(Flag(doc, 0, MarkupDoc::IllFormed));
}

} // namespace
