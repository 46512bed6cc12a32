// One XML text in memory with an index of its elements and a current
// position. The parser is a single forward pass that never copies the text:
// each element is one fixed-size record of offsets, lengths and links in an
// element table. It checks well-formedness as it goes, recovers from errors,
// always leaves a navigable table and a one-line result message.
#pragma once

#include "markup/TokenScanner.h"

#include <cstdint>
#include <memory>
#include <string>

namespace markup {

// One element: eight words of offsets, lengths, level, flags and links.
struct ElementRecord {
    int32_t start;       // offset of the "<" of the start tag
    int32_t length;      // start tag through end tag, or the start tag alone
    int32_t tagLengths;  // bits 0-21 start-tag length, bits 22-31 end-tag length
    int32_t levelFlags;  // bits 0-15 nesting level, bits 16-31 flags
    int32_t parent;      // 0 for a top-level element
    int32_t firstChild;  // 0 = none
    int32_t nextSibling; // 0 = last child
    int32_t prevSibling; // for a first child: its parent's last child

    int32_t StartTagLength() const { return tagLengths & kStartTagMask; }
    int32_t EndTagLength() const { return static_cast<int32_t>(static_cast<uint32_t>(tagLengths) >> 22); }
    int32_t Level() const { return levelFlags & 0xFFFF; }
    bool Has(int32_t flag) const { return (levelFlags & flag) != 0; }

    static constexpr int32_t kStartTagMask = (1 << 22) - 1;
    static constexpr int32_t kEndTagMax = (1 << 10) - 1;
    static constexpr int32_t kLevelMax = 0xFFFF;
};

class MarkupDoc {
public:
    // Document options in `flags`.
    static constexpr int32_t IgnoreCase = 8;
    // Flags of a record's levelFlags.
    static constexpr int32_t WasFirstChild = 1 << 19;
    static constexpr int32_t Unended = 1 << 20;
    static constexpr int32_t HasError = 1 << 21;
    static constexpr int32_t IllFormed = 1 << 23;

    static constexpr int32_t kBlockRecords = 65536;

    MarkupDoc();
    ~MarkupDoc();
    MarkupDoc(const MarkupDoc&) = delete;
    MarkupDoc& operator=(const MarkupDoc&) = delete;

    // Reads the file and parses it. When the file cannot be read, returns
    // false and leaves the text, the table and the position as they were;
    // only the result message changes.
    bool LoadFile(const char* path);
    // Takes the text (none = empty) and parses it; true when well-formed.
    bool SetText(const char* newText);
    bool SetText(std::string newText);
    // Rebuilds the table from the text; true when the text is well-formed.
    bool Parse();
    // Reads a whole file, byte for byte. On failure the text is untouched and
    // `message` (when given) holds the reason; on success it holds the size.
    static bool ReadTextFile(const char* path, std::string& text, std::string* message);
    // Makes room for at least `minimum` records (0: half as many again as are
    // in use), adding at most one block per call.
    bool GrowTable(int32_t minimum);
    // Builds the records of the elements below record `parentIndex` from the
    // tokens at the cursor; returns the first element made, or 0.
    int32_t ParseChildren(int32_t parentIndex, ScanCursor& cursor);

    // Navigation: the position moves, the text and table never change.
    void ResetPosition();
    bool LeaveElement();
    bool FindElement(const char* name);
    std::string GetAttribute(const char* name) const;
    std::string GetAttributeOf(int32_t index, const char* name) const;
    int32_t FindChildByName(int32_t parentIndex, int32_t after, const char* name) const;

    // Scanners over a 0-terminated text.
    static bool FindAttribute(ScanCursor& cursor, const char* name);
    static bool ReadName(ScanCursor& cursor);
    static bool SkipSpace(const char* text, int32_t& offset);
    static bool NameMatches(const ScanCursor& cursor, const char* name);
    static std::string DecodeText(const char* from, int32_t count,
                                  platform::Encoding encoding = platform::Encoding::Cp936);

    const std::string& Text() const { return text; }
    const std::string& ResultText() const { return resultText; }
    int32_t ParentPos() const { return parentPos; }
    int32_t CurrentPos() const { return currentPos; }
    int32_t ChildPos() const { return childPos; }
    int32_t UsedCount() const { return usedCount; }
    int32_t NodeKind() const { return nodeKind; }
    int32_t Flags() const { return flags; }
    // How the text is stepped, chosen by the last parse (see DocumentEncoding).
    platform::Encoding TextEncoding() const { return encoding; }
    int32_t Capacity() const { return capacity; }
    int32_t SegmentSlots() const { return segmentSlots; }
    // Record `index`, which must be below UsedCount().
    const ElementRecord& Record(int32_t index) const { return At(index); }

private:
    ElementRecord& At(int32_t index) const {
        return segments[index >> 16][index & (kBlockRecords - 1)];
    }
    ScanCursor CursorAt(int32_t offset) const;
    // The innermost open element has no end tag (endTag: the end tag that
    // skipped it, or none at the end of the text): closes it and lifts its
    // children to follow it. True when it had children.
    bool CloseUnended(int32_t parentIndex, int32_t element, const TokenInfo& openTag,
                      const ScanCursor* endTag);
    // Sets every parent link from the child lists, after recovery lifted elements.
    void MendParentLinks(int32_t parentIndex, int32_t firstMade);
    void MarkError(int32_t parentIndex, int32_t element, const std::string& message);

    std::string text;
    std::string resultText;
    int32_t parentPos = 0;
    int32_t currentPos = 0;
    int32_t childPos = 0;
    int32_t usedCount = 0;
    int32_t nodeKind = 0;
    int32_t flags = 0;
    platform::Encoding encoding = platform::Encoding::Cp936;
    std::unique_ptr<std::unique_ptr<ElementRecord[]>[]> segments;
    int32_t capacity = 0;
    int32_t segmentSlots = 0;
};

} // namespace markup
