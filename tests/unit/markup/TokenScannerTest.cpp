// Tokens: their kinds and boundaries, empty-element tags, character
// stepping by code page 936, and the messages of malformed tokens.
#include "markup/TokenScanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace markup;

struct Token {
    TokenKind kind;
    int32_t start;
    int32_t length;
    std::string name; // name, target or message; empty for other kinds
    bool empty = false;

    bool operator==(const Token&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Token& token) {
    return out << "{kind " << static_cast<int>(token.kind) << ", " << token.start << "+"
               << token.length << ", '" << token.name << "'" << (token.empty ? ", empty" : "")
               << "}";
}

// Every token of `text` up to the end of the text.
std::vector<Token> Tokens(const std::string& text) {
    ScanCursor cursor;
    cursor.text = text.c_str();
    std::vector<Token> tokens;
    for (;;) {
        TokenInfo info;
        const TokenKind kind = ReadToken(cursor, info);
        EXPECT_EQ(kind, info.kind);
        if (kind == TokenKind::EndOfText) {
            EXPECT_EQ(info.length, 0);
            EXPECT_EQ(cursor.next, info.start) << "the cursor stays at the end";
            return tokens;
        }
        EXPECT_EQ(cursor.next, info.start + info.length);
        const bool named = kind == TokenKind::StartTag || kind == TokenKind::ProcInstr ||
                           kind == TokenKind::Malformed;
        std::string name = named ? info.name : std::string();
        if (kind == TokenKind::EndTag) {
            name = text.substr(static_cast<size_t>(cursor.nameStart),
                               static_cast<size_t>(cursor.nameEnd - cursor.nameStart + 1));
        }
        tokens.push_back({kind, info.start, info.length, name,
                          (info.flags & TokenInfo::EmptyElement) != 0});
        if (tokens.size() > text.size()) {
            ADD_FAILURE() << "no progress";
            return tokens;
        }
    }
}

using K = TokenKind;

TEST(TokenScanner, EndOfTextLeavesTheCursorWhereItIs) {
    EXPECT_TRUE(Tokens("").empty());
    const std::string text = "<a/>";
    ScanCursor cursor;
    cursor.text = text.c_str();
    cursor.next = 4;
    TokenInfo info;
    info.length = 99;
    EXPECT_EQ(ReadToken(cursor, info), K::EndOfText);
    EXPECT_EQ(info.length, 0);
    EXPECT_EQ(cursor.next, 4);
}

TEST(TokenScanner, DocumentTokens) {
    const std::string text =
        "<?xml version='1.0'?>\n<a x='1'>t&amp;<!-- c --><![CDATA[ <x> ]]> </a >";
    const std::vector<Token> expected = {
        {K::ProcInstr, 0, 21, "xml"},   {K::SpaceRun, 21, 1, ""},
        {K::StartTag, 22, 9, "a"},      {K::TextRun, 31, 6, ""},
        {K::Comment, 37, 10, ""},       {K::CDataSection, 47, 17, ""},
        {K::SpaceRun, 64, 1, ""},       {K::EndTag, 65, 5, "a"},
    };
    EXPECT_EQ(Tokens(text), expected);
}

TEST(TokenScanner, EmptyElementTags) {
    EXPECT_EQ(Tokens("<a/>"), (std::vector<Token>{{K::StartTag, 0, 4, "a", true}}));
    EXPECT_EQ(Tokens("<a />"), (std::vector<Token>{{K::StartTag, 0, 5, "a", true}}));
    EXPECT_EQ(Tokens("<a x='1'/>"), (std::vector<Token>{{K::StartTag, 0, 10, "a", true}}));
    EXPECT_EQ(Tokens("<a x=\"1\"/>"), (std::vector<Token>{{K::StartTag, 0, 10, "a", true}}));
    // The byte before "/" must be white space or a quote.
    EXPECT_EQ(Tokens("<a x=1/>"), (std::vector<Token>{{K::StartTag, 0, 8, "a", false}}));
    EXPECT_EQ(Tokens("<a x/>"), (std::vector<Token>{{K::StartTag, 0, 6, "a", false}}));
    // The name is read byte by byte, so a lead byte ends it like any other...
    EXPECT_EQ(Tokens("<a\x81/>"), (std::vector<Token>{{K::StartTag, 0, 5, "a\x81", true}}));
    // ...but after the name a lead byte takes the "/" into its character.
    EXPECT_EQ(Tokens("<a \x81/>"), (std::vector<Token>{{K::StartTag, 0, 6, "a", false}}));
}

TEST(TokenScanner, QuotesInTags) {
    EXPECT_EQ(Tokens("<a x='>'>"), (std::vector<Token>{{K::StartTag, 0, 9, "a"}}));
    // An unmatched quote runs on to a later ">"...
    EXPECT_EQ(Tokens("<a x='1>b'>c"),
              (std::vector<Token>{{K::StartTag, 0, 11, "a"}, {K::TextRun, 11, 1, ""}}));
    // ...or to the end of the text.
    EXPECT_EQ(Tokens("<a x='1>b"),
              (std::vector<Token>{{K::Malformed, 0, 9, "Element tag at offset 0 unterminated"}}));
    // A "<" inside a start tag does not end it.
    EXPECT_EQ(Tokens("<a <b>"), (std::vector<Token>{{K::StartTag, 0, 6, "a"}}));
}

TEST(TokenScanner, CharacterDataAndComments) {
    EXPECT_EQ(Tokens("a<b"),
              (std::vector<Token>{{K::TextRun, 0, 1, ""},
                                  {K::Malformed, 1, 2, "Element tag at offset 1 unterminated"}}));
    EXPECT_EQ(Tokens("a>b"), (std::vector<Token>{{K::TextRun, 0, 2, ""}, {K::TextRun, 2, 1, ""}}));
    EXPECT_EQ(Tokens(" \t\r\nx "), (std::vector<Token>{{K::TextRun, 0, 6, ""}}));
    // The "--" of the opener also serves the terminator.
    EXPECT_EQ(Tokens("<!-->x"), (std::vector<Token>{{K::Comment, 0, 5, ""}, {K::TextRun, 5, 1, ""}}));
    EXPECT_EQ(Tokens("<!-- a > b -->"), (std::vector<Token>{{K::Comment, 0, 14, ""}}));
    EXPECT_EQ(Tokens("<?t x?>"), (std::vector<Token>{{K::ProcInstr, 0, 7, "t"}}));
    EXPECT_EQ(Tokens("<!ELEMENT a '>'>"), (std::vector<Token>{{K::Declaration, 0, 16, ""}}));
}

TEST(TokenScanner, TwoByteCharacters) {
    // A ">" or "<" that is the second byte of a character is no markup.
    EXPECT_EQ(Tokens("a\x81>b"), (std::vector<Token>{{K::TextRun, 0, 4, ""}}));
    EXPECT_EQ(Tokens("\x81<a/>"), (std::vector<Token>{{K::TextRun, 0, 5, ""}}));
    EXPECT_EQ(Tokens("<\xd6\xd0 x='\xce\xc4'/>"),
              (std::vector<Token>{{K::StartTag, 0, 12, "\xd6\xd0", true}}));
    // A lead byte as the last byte is one character; the scan stops at the 0.
    EXPECT_EQ(Tokens("a\x81"), (std::vector<Token>{{K::TextRun, 0, 2, ""}}));
    EXPECT_EQ(Tokens("<\x81"),
              (std::vector<Token>{{K::Malformed, 0, 2, "Element tag at offset 0 unterminated"}}));
}

TEST(TokenScanner, DocumentTypeDeclarations) {
    const std::string doctype =
        "<!DOCTYPE r [<!ELEMENT r ANY><!-- > --><?p > ?><!ATTLIST r a CDATA '>'>]>";
    EXPECT_EQ(Tokens(doctype + "<r/>"),
              (std::vector<Token>{{K::Declaration, 0, static_cast<int32_t>(doctype.size()), ""},
                                  {K::StartTag, static_cast<int32_t>(doctype.size()), 4, "r", true}}));
    // A malformed part ends the token only when a "<" follows before the end;
    // its offset is that of the last ">" examined inside the declaration.
    EXPECT_EQ(Tokens("<!DOCTYPE r [<!ELEMENT r ANY><!Q <r/>]>"),
              (std::vector<Token>{{K::Malformed, 0, 33, "Incorrect ! tag at offset 28"},
                                  {K::StartTag, 33, 4, "r", true},
                                  {K::TextRun, 37, 2, ""}}));
    EXPECT_EQ(Tokens("<!DOCTYPE r [<!Q x>]>"),
              (std::vector<Token>{{K::Declaration, 0, 21, ""}}));
}

TEST(TokenScanner, IncorrectTagMessages) {
    const struct {
        std::string text;
        std::vector<Token> expected;
    } cases[] = {
        {"x<1>y", {{K::TextRun, 0, 1, ""},
                   {K::Malformed, 1, 3, "Incorrect tag name character at offset 1"},
                   {K::TextRun, 4, 1, ""}}},
        {"<!Q>", {{K::Malformed, 0, 4, "Incorrect ! tag at offset 0"}}},
        {"<!-x>", {{K::Malformed, 0, 5, "Incorrect comment tag at offset 0"}}},
        {"<![x>", {{K::Malformed, 0, 5, "Incorrect tag at offset 0"}}},
        // A malformed token also ends before the next "<", and quotes hold its ">".
        {"<!Qa<b/>", {{K::Malformed, 0, 4, "Incorrect ! tag at offset 0"},
                      {K::StartTag, 4, 4, "b", true}}},
        {"<1 '>'>", {{K::Malformed, 0, 7, "Incorrect tag name character at offset 0"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Tokens(c.text), c.expected) << c.text;
    }
}

TEST(TokenScanner, UnterminatedMessages) {
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"ab<a x", "Element tag at offset 2 unterminated"},
        {"ab</a", "Element end tag at offset 2 unterminated"},
        {"ab<![CDATA[x]>", "CDATA Section at offset 2 unterminated"},
        {"ab<?pi >", "Processing instruction at offset 2 unterminated"},
        {"ab<!-- x ->", "Comment at offset 2 unterminated"},
        {"ab<!DOCTYPE x", "Doctype at offset 2 unterminated"},
        {"ab<!DOCTYPE x [<!-- >", "Doctype at offset 2 unterminated"},
        {"ab<!ELEMENT x", "Doctype at offset 2 unterminated"},
        {"ab<", "tag at offset 2 unterminated"},
        {"ab<!", "tag at offset 2 unterminated"},
        {"ab<!-", "tag at offset 2 unterminated"},
        {"ab<![", "tag at offset 2 unterminated"},
        {"ab<1 x", "tag at offset 2 unterminated"},
    };
    for (const auto& c : cases) {
        const auto size = static_cast<int32_t>(c.text.size());
        EXPECT_EQ(Tokens(c.text), (std::vector<Token>{{K::TextRun, 0, 2, ""},
                                                       {K::Malformed, 2, size - 2, c.message}}))
            << c.text;
    }
}

} // namespace
