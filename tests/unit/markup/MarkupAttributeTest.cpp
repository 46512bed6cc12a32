// Attribute syntax as the start-tag scanner reads it, and the decoding of
// entity and character references in values.
#include "MarkupTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace markup;

// A cursor at the start of `text`, as for a start tag just after its "<".
ScanCursor CursorOver(const std::string& text) {
    ScanCursor cursor;
    cursor.text = text.c_str();
    return cursor;
}

// The value of attribute `name` of the first element of `text`.
std::string AttributeOf(const std::string& text, const char* name) {
    MarkupDoc doc;
    (void)ParseChecked(doc, text);
    EXPECT_TRUE(doc.FindElement(nullptr)) << text;
    return doc.GetAttribute(name);
}

TEST(MarkupAttribute, ValueSyntax) {
    const struct {
        const char* text;
        const char* value;
    } cases[] = {
        {"<e x='1'/>", "1"},
        {"<e x = \"1\" />", "1"},
        {"<e\tx=1 y='2'>", "1"},
        {"<e x=1>", "1"},
        {"<e x=a/b>", "a/b"},
        {"<e x=1/>", "1/"},
        {"<e x=a=b?c>", "a=b?c"},
        {"<e x='a>b'>", "a>b"},
        {"<e x='say \"hi\"'>", "say \"hi\""},
        {"<e x=''>", ""},
        // Without "=", an attribute's value is its own name.
        {"<e x>", "x"},
        {"<e x/>", "x"},
        {"<e x y='2'>", "x"},
        {"<e \r\n x 'q'>", "x"},
        // The element's own name is never an attribute.
        {"<x>", ""},
        {"<x y='x'>", ""},
        // A value-less attribute before the wanted one does not disturb the scan...
        {"<e y x='1'>", "1"},
        // ...but "=" before ">" takes the ">" as its value and reads on.
        {"<e y=><f x='2'/></e>", "2"},
        {"<e y='1'>", ""},
        {"<e xy='1'>", ""},
        {"<e x='\xd6\xd0\xce\xc4'>", "\xd6\xd0\xce\xc4"},
        {"<e x='a&lt;b&#65;'>", "a<bA"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AttributeOf(c.text, "x"), c.value) << c.text;
    }
}

TEST(MarkupAttribute, WantedNamesFollowTheNameRule) {
    const std::string text = "<e x='1' xx='2'>";
    EXPECT_EQ(AttributeOf(text, "x=junk"), "1");
    EXPECT_EQ(AttributeOf(text, "x[1]"), "1");
    EXPECT_EQ(AttributeOf(text, "x y"), "1");
    EXPECT_EQ(AttributeOf(text, "xx"), "2");
    EXPECT_EQ(AttributeOf(text, "xxx"), "");
    EXPECT_EQ(AttributeOf(text, "X"), "");
    EXPECT_EQ(AttributeOf(text, ""), "");
    EXPECT_EQ(AttributeOf(text, nullptr), "");
}

TEST(MarkupAttribute, ScanStopsAtTheEndOfTheText) {
    // A quote that is never closed runs to the end; the scan stops at the 0.
    const std::string text = "e y x='abc";
    ScanCursor cursor = CursorOver(text);
    ASSERT_TRUE(MarkupDoc::FindAttribute(cursor, "x"));
    EXPECT_EQ(text.substr(static_cast<size_t>(cursor.nameStart),
                          static_cast<size_t>(cursor.nameEnd - cursor.nameStart + 1)),
              "abc");
    EXPECT_EQ(cursor.next, static_cast<int32_t>(text.size()));
    EXPECT_NE(cursor.flags & ScanCursor::Quoted, 0);

    // A wanted name given last without a value is its own value.
    const std::string flag = "e y x";
    cursor = CursorOver(flag);
    ASSERT_TRUE(MarkupDoc::FindAttribute(cursor, "x"));
    EXPECT_EQ(cursor.nameStart, 4);
    EXPECT_EQ(cursor.nameEnd, 4);
    EXPECT_EQ(cursor.next, 5);

    const std::string lead = "e x=\x81";
    cursor = CursorOver(lead);
    ASSERT_TRUE(MarkupDoc::FindAttribute(cursor, "x"));
    EXPECT_EQ(cursor.nameStart, 4);
    EXPECT_EQ(cursor.nameEnd, 4);

    cursor = CursorOver(flag);
    EXPECT_FALSE(MarkupDoc::FindAttribute(cursor, "z"));
}

std::string Decode(const std::string& value) {
    return MarkupDoc::DecodeText(value.data(), static_cast<int32_t>(value.size()));
}

TEST(MarkupAttribute, Decoding) {
    const struct {
        std::string value;
        std::string decoded;
    } cases[] = {
        {"&lt;&amp;&gt;&apos;&quot;", "<&>'\""},
        {"a &AMP; b", "a &AMP; b"},
        {"&amp", "&amp"},
        {"&lt", "&lt"},
        {"& lt;", "& lt;"},
        {"&#65;&#x41;", "AA"},
        {"&#X41;", "&#X41;"},
        {"&#20013;", "&#20013;"},
        {"&#0;", "&#0;"},
        {"&#;", "&#;"},
        {"&#1234567;", "&#1234567;"},
        {"&#12345678;", "&#12345678;"},
        {"&#65601;", "A"}, // codes count modulo 65,536
        {"&#-65;", "&#-65;"},
        {"&#65", "&#65"},
        {"&", "&"},
        // Two-byte characters are copied whole; a second byte is never a "&".
        {"\xd6\xd0&lt;", "\xd6\xd0<"},
        {"\x81&amp;", "\x81&amp;"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Decode(c.value), c.decoded) << c.value;
    }
}

TEST(MarkupAttribute, DecodingStaysInsideItsRange) {
    // A reference or character cut by the end of the range is not completed
    // from the bytes after it.
    const std::string text = "&#65;&lt;\x81x";
    EXPECT_EQ(MarkupDoc::DecodeText(text.data(), 4), "&#65");
    EXPECT_EQ(MarkupDoc::DecodeText(text.data() + 5, 3), "&lt");
    EXPECT_EQ(MarkupDoc::DecodeText(text.data() + 9, 1), "\x81");
    EXPECT_EQ(MarkupDoc::DecodeText(text.data(), 0), "");
}

} // namespace
