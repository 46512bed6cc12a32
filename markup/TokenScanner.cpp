#include "markup/TokenScanner.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace markup {

namespace {

// Scan states of one token; several may hold at once.
enum : uint32_t {
    kAfterLt = 1,           // just read "<"
    kAfterBang = 2,         // just read "<!"
    kAfterBangDash = 4,     // just read "<!-"
    kAfterBangBracket = 8,  // just read "<!["
    kInSpace = 16,          // inside a run of white space
    kInDoctype = 32,        // inside a document type declaration
    kInSingle = 64,         // inside '...'
    kInDouble = 128,        // inside "..."
};

// Bytes that end a tag name.
constexpr ByteSet kNameEnd = MakeByteSet(" \t\n\r/>");
// Bytes that can matter while a terminator is pending; every other character
// is simply passed over.
constexpr ByteSet kPendingStop = MakeByteSet("<>'\"");

const char* UnterminatedWord(TokenKind kind, bool inDoctype) {
    if (inDoctype || kind == TokenKind::Declaration) {
        return "Doctype";
    }
    switch (kind) {
    case TokenKind::StartTag: return "Element tag";
    case TokenKind::EndTag: return "Element end tag";
    case TokenKind::CDataSection: return "CDATA Section";
    case TokenKind::ProcInstr: return "Processing instruction";
    case TokenKind::Comment: return "Comment";
    default: return "tag";
    }
}

std::string Incorrect(const char* what, int32_t offset) {
    return FormatText("Incorrect %s at offset %d", what, offset);
}

bool IsStartTagNameByte(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || byte == '_' || byte == ':' || byte >= 'a';
}

} // namespace

std::string FormatText(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::string result(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) {
        std::vsnprintf(result.data(), result.size() + 1, format, again);
    }
    va_end(again);
    return result;
}

TokenKind ReadToken(ScanCursor& cursor, TokenInfo& info) {
    const char* const text = cursor.text;
    const platform::Encoding encoding = cursor.encoding;
    const auto byteAt = [text](int32_t offset) { return static_cast<unsigned char>(text[offset]); };
    const int32_t start = cursor.next;
    info.start = start;
    info.flags = 0;
    if (byteAt(start) == 0) {
        info.length = 0;
        info.kind = TokenKind::EndOfText;
        return TokenKind::EndOfText;
    }

    TokenKind kind = TokenKind::Malformed; // not yet known
    uint32_t states = 0;
    std::string_view terminator; // empty while none is pending
    int32_t nameFrom = -1;       // start of the name being read; -1 = none
    unsigned char prev = 0;      // last two characters of a start tag after its name
    unsigned char prevprev = 0;
    int32_t end = start; // the token's last byte
    int32_t o = start;
    // A byte that cannot follow what came before: the token runs on as a
    // malformed one to the next ">" (or up to the next "<").
    const auto breakOff = [&](const char* what) {
        info.name = Incorrect(what, end);
        kind = TokenKind::Malformed;
        terminator = ">";
    };
    for (;;) {
        if (nameFrom >= 0) {
            // Names are read byte by byte, whatever the code page says.
            while (!kNameEnd[byteAt(o)]) {
                ++o;
            }
            if (byteAt(o) != 0) {
                if (kind == TokenKind::EndTag) {
                    cursor.nameStart = nameFrom;
                    cursor.nameEnd = o - 1;
                } else if (kind == TokenKind::StartTag || kind == TokenKind::ProcInstr) {
                    info.name.assign(text + nameFrom, static_cast<size_t>(o - nameFrom));
                }
                prev = prevprev = 0;
                nameFrom = -1;
            }
        }
        unsigned char ch = byteAt(o);
        if (ch == 0) {
            // The text ended inside the token.
            end = o - 1;
            if (kind != TokenKind::TextRun && kind != TokenKind::SpaceRun) {
                info.name = FormatText("%s at offset %d unterminated",
                                       UnterminatedWord(kind, (states & kInDoctype) != 0), start);
                kind = TokenKind::Malformed;
            }
            break;
        }

        if (!terminator.empty()) {
            if (kind == TokenKind::StartTag) {
                while (!kPendingStop[byteAt(o)]) {
                    prevprev = prev;
                    prev = byteAt(o);
                    o += CharLength(text, o, encoding);
                }
            } else {
                o = ScanTo(text, o, kPendingStop, encoding);
            }
            ch = byteAt(o);
            if (ch == 0) {
                continue;
            }
            if (ch == '>' && (states & (kInSingle | kInDouble)) == 0) {
                end = o;
                bool cleared = true;
                if (terminator.size() == 1) {
                    if (kind == TokenKind::StartTag && prev == '/' &&
                        (prevprev == 0 || IsMarkupSpace(prevprev) || prevprev == '\'' ||
                         prevprev == '"')) {
                        info.flags |= TokenInfo::EmptyElement;
                    }
                } else {
                    const auto before = static_cast<int32_t>(terminator.size()) - 1;
                    cleared = o > before + 1 &&
                              std::memcmp(text + o - before, terminator.data(), before) == 0;
                }
                if (cleared) {
                    terminator = {};
                    if ((states & kInDoctype) == 0) {
                        break;
                    }
                }
            } else if (ch == '<' && (kind == TokenKind::TextRun || kind == TokenKind::Malformed)) {
                end = o - 1; // the "<" begins the next token
                break;
            } else if (kind == TokenKind::StartTag || kind == TokenKind::Declaration ||
                       kind == TokenKind::Malformed) {
                if (ch == '"' && (states & kInSingle) == 0) {
                    states ^= kInDouble;
                } else if (ch == '\'' && (states & kInDouble) == 0) {
                    states ^= kInSingle;
                }
                if (kind == TokenKind::StartTag) {
                    prevprev = prev;
                    prev = ch;
                }
            }
        } else if (states == 0) {
            if (ch == '<') {
                states = kAfterLt;
            } else if (IsMarkupSpace(ch)) {
                kind = TokenKind::SpaceRun;
                states = kInSpace;
            } else {
                kind = TokenKind::TextRun;
                terminator = "<";
            }
        } else if ((states & kInSpace) != 0) {
            if (IsMarkupSpace(ch)) {
                do {
                    ++o;
                } while (IsMarkupSpace(byteAt(o)));
                continue;
            }
            if (ch == '<') {
                end = o - 1;
                break;
            }
            states &= ~kInSpace;
            kind = TokenKind::TextRun;
            terminator = "<";
        } else if ((states & kAfterLt) != 0) {
            states &= ~kAfterLt;
            if (IsStartTagNameByte(ch)) {
                kind = TokenKind::StartTag;
                nameFrom = o;
                terminator = ">";
            } else if (ch == '/') {
                kind = TokenKind::EndTag;
                nameFrom = o + 1;
                terminator = ">";
            } else if (ch == '!') {
                states |= kAfterBang;
            } else if (ch == '?') {
                kind = TokenKind::ProcInstr;
                nameFrom = o + 1;
                terminator = "?>";
            } else {
                breakOff("tag name character");
            }
        } else if ((states & kAfterBang) != 0) {
            states &= ~kAfterBang;
            const bool inDoctype = (states & kInDoctype) != 0;
            if (ch == '-') {
                states |= kAfterBangDash;
            } else if (ch == '[' && !inDoctype) {
                states |= kAfterBangBracket;
            } else if (ch == 'D' && !inDoctype) {
                states |= kInDoctype;
            } else if (ch == 'E' || ch == 'A' || ch == 'N') {
                kind = TokenKind::Declaration;
                terminator = ">";
            } else {
                breakOff("! tag");
            }
        } else if ((states & kAfterBangDash) != 0) {
            states &= ~kAfterBangDash;
            if (ch == '-') {
                kind = TokenKind::Comment;
                terminator = "-->";
            } else {
                breakOff("comment tag");
            }
        } else if ((states & kAfterBangBracket) != 0) {
            states &= ~kAfterBangBracket;
            if (ch == 'C') {
                kind = TokenKind::CDataSection;
                terminator = "]]>";
            } else {
                breakOff("tag");
            }
        } else if ((states & kInDoctype) != 0) {
            if (ch == '<') {
                states |= kAfterLt;
            } else if (ch == '>') {
                end = o;
                kind = TokenKind::Declaration;
                break;
            }
        }
        o += CharLength(text, o, encoding);
    }
    cursor.next = end + 1;
    info.length = end + 1 - start;
    info.kind = kind;
    return kind;
}

} // namespace markup
