// Navigation over the element table and attribute access. Names and values
// are read from the document text on every call; only the position moves.
#include "markup/MarkupDoc.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace markup {

namespace {

// Bytes that end a name read by ReadName.
constexpr ByteSet kNameStop = MakeByteSet(" \t\n\r<>=\\/?!");
// Bytes that end an unquoted token of a start tag where a name is expected...
constexpr ByteSet kAttributeNameStop = MakeByteSet("= \t\n\r>/?");
// ...and after "=", where an unquoted value may hold "/", "=" and "?".
constexpr ByteSet kAttributeValueStop = MakeByteSet(" \t\n\r>");

unsigned char ByteAt(const char* text, int32_t offset) {
    return static_cast<unsigned char>(text[offset]);
}

bool IsNameTail(char byte) {
    return byte == 0 || byte == ' ' || byte == '=' || byte == '/' || byte == '[' || byte == ']';
}

unsigned char FoldCase(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// The value of an attribute given without one is the attribute's own name.
bool SucceedWithOwnName(ScanCursor& cursor, int32_t nameEnd) {
    cursor.nameStart = cursor.nameReadFrom + cursor.nameSpaceSkipped;
    cursor.nameEnd = nameEnd;
    cursor.next = nameEnd + 1;
    return true;
}

// Length of the character at `at` of a range of `count` bytes: a character is
// taken whole only when all its bytes lie in the range.
int32_t CharLengthWithin(const char* from, int32_t at, int32_t count, platform::Encoding encoding) {
    return platform::CharLength(from + at, encoding, count - at);
}

// Decodes the character reference "&#...;" at `at` into `out`; returns the
// offset after it, or 0 when the reference is not one this reader accepts.
int32_t DecodeCharacterReference(const char* from, int32_t at, int32_t count,
                                 platform::Encoding encoding, std::string& out) {
    constexpr int32_t kMaxDigitBytes = 7;
    int32_t number = at + 2;
    int base = 10;
    if (number < count && from[number] == 'x') {
        base = 16;
        ++number;
    }
    int32_t end = number;
    while (end < count && end - number < kMaxDigitBytes && from[end] != ';' && from[end] != 0) {
        end += CharLengthWithin(from, end, count, encoding);
    }
    if (end >= count || from[end] != ';') {
        return 0;
    }
    // strtol stops at the ";" at the latest.
    const long value = std::strtol(from + number, nullptr, base);
    if (value == 0) {
        return 0;
    }
    const auto code = static_cast<uint16_t>(value);
    if (code >= 256) {
        return 0;
    }
    if (encoding == platform::Encoding::Utf8 && code >= 0x80) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(code);
    }
    return end + 1;
}

struct Entity {
    std::string_view text; // after the "&"
    char value;
};
constexpr Entity kEntities[] = {
    {"lt;", '<'}, {"amp;", '&'}, {"gt;", '>'}, {"apos;", '\''}, {"quot;", '"'},
};

} // namespace

void MarkupDoc::ResetPosition() {
    parentPos = 0;
    currentPos = 0;
    childPos = 0;
    nodeKind = 0;
}

bool MarkupDoc::LeaveElement() {
    if (parentPos == 0) {
        return false;
    }
    childPos = currentPos;
    currentPos = parentPos;
    parentPos = At(parentPos).parent;
    nodeKind = 1;
    return true;
}

bool MarkupDoc::FindElement(const char* name) {
    if (capacity == 0) {
        return false;
    }
    const int32_t found = FindChildByName(parentPos, currentPos, name);
    if (found == 0) {
        return false;
    }
    currentPos = found;
    parentPos = At(found).parent;
    childPos = 0;
    nodeKind = 1;
    return true;
}

std::string MarkupDoc::GetAttribute(const char* name) const {
    return GetAttributeOf(currentPos, name);
}

std::string MarkupDoc::GetAttributeOf(int32_t index, const char* name) const {
    if (index <= 0 || index >= usedCount || nodeKind != 1 || name == nullptr) {
        return {};
    }
    ScanCursor cursor = CursorAt(At(index).start + 1);
    if (!FindAttribute(cursor, name)) {
        return {};
    }
    std::string value =
        DecodeText(cursor.text + cursor.nameStart, cursor.nameEnd - cursor.nameStart + 1, encoding);
    // A manifest of code page 936 keeps its bytes, which also name the
    // magazine's files; UTF-8 reaches a host of another encoding converted.
    if (encoding == platform::Encoding::Utf8 && !platform::HostIsUtf8()) {
        value = platform::Utf8ToHost(value);
    }
    return value;
}

int32_t MarkupDoc::FindChildByName(int32_t parentIndex, int32_t after, const char* name) const {
    if (parentIndex < 0 || parentIndex >= usedCount || after < 0 || after >= usedCount) {
        return 0;
    }
    int32_t index = after != 0 ? At(after).nextSibling : At(parentIndex).firstChild;
    if (name == nullptr || name[0] == 0) {
        return index;
    }
    ScanCursor cursor = CursorAt(0);
    for (; index != 0; index = At(index).nextSibling) {
        cursor.next = At(index).start + 1;
        ReadName(cursor);
        if (NameMatches(cursor, name)) {
            return index;
        }
    }
    return 0;
}

bool MarkupDoc::FindAttribute(ScanCursor& cursor, const char* name) {
    const char* const text = cursor.text;
    bool sawElementName = false; // the first name is the element's own, never compared
    bool found = false;
    bool afterEquals = false;
    int32_t foundEnd = 0;
    int32_t before = cursor.next;
    int32_t at = before;
    while (SkipSpace(text, at)) {
        const unsigned char first = ByteAt(text, at);
        const bool quoted = first == '"' || first == '\'';
        if (quoted) {
            cursor.flags |= ScanCursor::Quoted;
            cursor.nameStart = at + 1;
            int32_t end = at + 1;
            while (ByteAt(text, end) != 0 && ByteAt(text, end) != first) {
                end += CharLength(text, end, cursor.encoding);
            }
            cursor.nameEnd = end - 1;
            cursor.next = ByteAt(text, end) == 0 ? end : end + 1;
        } else {
            cursor.flags &= ~ScanCursor::Quoted;
            cursor.nameStart = at;
            int32_t end = ScanTo(text, at, afterEquals ? kAttributeValueStop : kAttributeNameStop,
                                 cursor.encoding);
            if (end == at) {
                end = at + 1; // a stop byte is a token of its own
            }
            cursor.nameEnd = end - 1;
            cursor.next = end;
        }

        if (afterEquals || quoted) {
            if (found) {
                return afterEquals || SucceedWithOwnName(cursor, foundEnd);
            }
            afterEquals = false;
        } else if (first == '=') {
            afterEquals = true;
        } else if (first == '>' || first == '/' || first == '?') {
            cursor.next = before; // the start tag is over
            break;
        } else {
            if (found) {
                return SucceedWithOwnName(cursor, foundEnd);
            }
            if (!sawElementName) {
                sawElementName = true;
            } else if (NameMatches(cursor, name)) {
                found = true;
                foundEnd = cursor.nameEnd;
                cursor.nameReadFrom = before;
                cursor.nameSpaceSkipped = at - before;
            }
            afterEquals = false;
        }
        before = cursor.next;
        at = before;
    }
    if (!found) {
        return false;
    }
    return afterEquals || SucceedWithOwnName(cursor, foundEnd);
}

bool MarkupDoc::ReadName(ScanCursor& cursor) {
    int32_t at = cursor.next;
    if (!SkipSpace(cursor.text, at)) {
        cursor.nameStart = at;
        cursor.next = at;
        cursor.nameEnd = at - 1;
        return false;
    }
    cursor.nameStart = at;
    int32_t end = ScanTo(cursor.text, at, kNameStop, cursor.encoding);
    if (end == at) {
        end = at + 1; // a stop byte reads as a one-byte name
    }
    cursor.nameEnd = end - 1;
    cursor.next = end;
    return true;
}

bool MarkupDoc::SkipSpace(const char* text, int32_t& offset) {
    while (ByteAt(text, offset) != 0 && IsMarkupSpace(ByteAt(text, offset))) {
        ++offset;
    }
    return ByteAt(text, offset) != 0;
}

bool MarkupDoc::NameMatches(const ScanCursor& cursor, const char* name) {
    if (name == nullptr) {
        name = "";
    }
    const bool ignoreCase = (cursor.flags & IgnoreCase) != 0;
    const int32_t length = cursor.nameEnd >= cursor.nameStart ? cursor.nameEnd - cursor.nameStart + 1 : 0;
    for (int32_t i = 0; i < length; ++i) {
        const auto wanted = static_cast<unsigned char>(name[i]);
        const unsigned char have = ByteAt(cursor.text, cursor.nameStart + i);
        if (wanted == 0) {
            return false;
        }
        if (wanted != have && !(ignoreCase && FoldCase(wanted) == FoldCase(have))) {
            return false;
        }
    }
    return IsNameTail(name[length]);
}

std::string MarkupDoc::DecodeText(const char* from, int32_t count, platform::Encoding encoding) {
    std::string out;
    if (count <= 0) {
        return out;
    }
    out.reserve(static_cast<size_t>(count));
    int32_t at = 0;
    while (at < count) {
        if (from[at] != '&') {
            const int32_t length = CharLengthWithin(from, at, count, encoding);
            out.append(from + at, static_cast<size_t>(length));
            at += length;
            continue;
        }
        if (at + 1 < count && from[at + 1] == '#') {
            const int32_t after = DecodeCharacterReference(from, at, count, encoding, out);
            if (after != 0) {
                at = after;
                continue;
            }
        } else {
            bool known = false;
            for (const Entity& entity : kEntities) {
                const auto length = static_cast<int32_t>(entity.text.size());
                if (at + length < count &&
                    std::memcmp(from + at + 1, entity.text.data(), entity.text.size()) == 0) {
                    out += entity.value;
                    at += length + 1;
                    known = true;
                    break;
                }
            }
            if (known) {
                continue;
            }
        }
        out += '&';
        ++at;
    }
    return out;
}

} // namespace markup
