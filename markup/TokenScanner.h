// The XML token scanner: cuts a document text into one token per call
// (start and end tags, character data, white space, comments, processing
// instructions, CDATA sections, declarations). It works on the text in place,
// steps through it by characters of the document's encoding (code page 936 or
// UTF-8), and checks only what the element table needs: tag boundaries, names,
// quotes and empty-element tags.
#pragma once

#include "platform/Text.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace markup {

// The reading state shared by the token scanner, the element builder and the
// attribute scanners of MarkupDoc.
struct ScanCursor {
    // Set in `flags` while the attribute scanner holds a quoted token.
    static constexpr int32_t Quoted = 1 << 15;

    int32_t nameStart = 0; // first offset of the last name or value read
    int32_t nameEnd = -1;  // its last offset (inclusive); empty when below nameStart
    int32_t next = 0;      // where the next read begins
    const char* text = nullptr; // the document text, ended by a 0 byte
    int32_t flags = 0;     // the document's flags
    platform::Encoding encoding = platform::Encoding::Cp936; // how characters are stepped
    // Kept by the attribute scanner for a matched name: where the read of the
    // name began and how many white-space bytes came before it.
    int32_t nameReadFrom = 0;
    int32_t nameSpaceSkipped = 0;
};

// Kinds are bit values so that sets of them can be tested at once.
enum class TokenKind : int32_t {
    EndOfText = -2,   // the cursor is at the terminating 0
    Malformed = -1,   // the token broke a rule; its message is in TokenInfo::name
    EndTag = 0,       // "</" name ... ">"
    StartTag = 1,     // "<" name ... ">" or "<" name ... "/>"
    TextRun = 2,      // character data
    SpaceRun = 4,     // white space only
    CDataSection = 8, // "<![C" ... "]]>"
    ProcInstr = 16,   // "<?" target ... "?>"
    Comment = 32,     // "<!--" ... "-->"
    Declaration = 64, // "<!D" ... ">" (internal subset included), "<!E", "<!A", "<!N" ... ">"
};

struct TokenInfo {
    // A start tag closed by "/>".
    static constexpr int32_t EmptyElement = 1 << 16;

    TokenKind kind = TokenKind::EndOfText;
    int32_t start = 0;  // offset of the token's first byte
    int32_t length = 0; // bytes in the token
    int32_t flags = 0;
    // A start tag's name, a processing instruction's target, or a malformed
    // token's message; other tokens leave it as it was.
    std::string name;
};

// Reads one token at cursor.next into `info` and moves cursor.next past it.
// For an end tag, cursor.nameStart and cursor.nameEnd receive its name.
TokenKind ReadToken(ScanCursor& cursor, TokenInfo& info);

// True for the four white-space bytes of XML: space, tab, line feed, carriage return.
inline bool IsMarkupSpace(unsigned char byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

// Length of the character at offset `at`; never steps over the terminating 0.
inline int32_t CharLength(const char* text, int32_t at, platform::Encoding encoding) {
    return platform::CharLength(text + at, encoding);
}

// A set of bytes for the scanners' inner loops; it always holds the 0.
using ByteSet = std::array<bool, 256>;

constexpr ByteSet MakeByteSet(std::string_view bytes) {
    ByteSet set{};
    set[0] = true;
    for (const char byte : bytes) {
        set[static_cast<unsigned char>(byte)] = true;
    }
    return set;
}

// Steps by characters from `at` to the first byte in `stop`.
inline int32_t ScanTo(const char* text, int32_t at, const ByteSet& stop,
                      platform::Encoding encoding) {
    while (!stop[static_cast<unsigned char>(text[at])]) {
        at += CharLength(text, at, encoding);
    }
    return at;
}

// printf-style formatting into a new string, for the reader's messages.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace markup
