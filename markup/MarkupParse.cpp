// The element builder: turns the token stream into element records, with
// recovery for elements that are never closed properly.
#include "markup/MarkupDoc.h"

#include <vector>

namespace markup {

namespace {

int32_t PackTagLengths(int32_t startTag, int32_t endTag) {
    return static_cast<int32_t>(static_cast<uint32_t>(startTag) |
                                (static_cast<uint32_t>(endTag) << 22));
}

} // namespace

void MarkupDoc::MarkError(int32_t parentIndex, int32_t element, const std::string& message) {
    At(parentIndex).levelFlags |= IllFormed;
    At(element).levelFlags |= HasError;
    if (resultText.empty()) {
        resultText = message;
    }
}

bool MarkupDoc::CloseUnended(int32_t parentIndex, int32_t element, const TokenInfo& openTag,
                             const ScanCursor* endTag) {
    At(parentIndex).levelFlags |= IllFormed;
    ElementRecord& closed = At(element);
    closed.tagLengths = closed.StartTagLength();
    closed.length = closed.tagLengths;
    closed.levelFlags |= Unended;
    ElementRecord& parent = At(closed.parent);
    if (closed.Has(HasError)) {
        closed.levelFlags &= ~HasError;
        parent.levelFlags |= HasError;
    }

    // The children follow the element as its siblings. The element is its
    // parent's last child, since everything after it was made inside it.
    // Their parent links are mended once at the end of the parse: done here,
    // a run of recoveries would walk the same children again and again.
    const int32_t child = closed.firstChild;
    closed.firstChild = 0;
    if (child != 0) {
        ElementRecord& firstLifted = At(child);
        const int32_t lastLifted = firstLifted.prevSibling;
        closed.nextSibling = child;
        firstLifted.prevSibling = element;
        At(parent.firstChild).prevSibling = lastLifted;
    }

    if (resultText.empty()) {
        if (endTag == nullptr) {
            resultText = FormatText("Element '%s' at offset %d not ended", openTag.name.c_str(),
                                    closed.start);
        } else {
            const std::string endName(endTag->text + endTag->nameStart,
                                      static_cast<size_t>(endTag->nameEnd - endTag->nameStart + 1));
            resultText = FormatText(
                "End tag '%s' at offset %d does not match start tag '%s' at offset %d",
                endName.c_str(), endTag->nameStart - 1, openTag.name.c_str(), closed.start);
        }
    }
    return child != 0;
}

void MarkupDoc::MendParentLinks(int32_t parentIndex, int32_t firstMade) {
    const auto adopt = [this](int32_t owner) {
        for (int32_t child = At(owner).firstChild; child != 0; child = At(child).nextSibling) {
            At(child).parent = owner;
        }
    };
    adopt(parentIndex);
    for (int32_t owner = firstMade; owner < usedCount; ++owner) {
        adopt(owner);
    }
}

int32_t MarkupDoc::ParseChildren(int32_t parentIndex, ScanCursor& cursor) {
    resultText.clear();
    cursor.next = 0;
    std::vector<TokenInfo> openTags(6);
    int32_t depth = 0;
    int32_t current = parentIndex;
    int32_t first = 0;
    const int32_t firstMade = usedCount;
    const int32_t baseLevel = At(parentIndex).Level();
    bool lifted = false;

    for (;;) {
        TokenInfo& info = openTags[static_cast<size_t>(depth)];
        switch (ReadToken(cursor, info)) {
        case TokenKind::StartTag: {
            // A tag or a nesting the record cannot hold is refused whole
            // rather than stored truncated.
            const int32_t level = baseLevel + depth;
            if (info.length > ElementRecord::kStartTagMask) {
                MarkError(parentIndex, current,
                          FormatText("Element tag at offset %d too long", info.start));
                break;
            }
            if (level > ElementRecord::kLevelMax) {
                MarkError(parentIndex, current,
                          FormatText("Element '%s' at offset %d nested too deeply",
                                     info.name.c_str(), info.start));
                break;
            }
            if (usedCount == capacity) {
                GrowTable(0);
            }
            const int32_t index = usedCount++;
            if (first == 0) {
                first = index;
            }
            ElementRecord& made = At(index);
            ElementRecord& owner = At(current);
            made.parent = current;
            made.nextSibling = 0;
            made.firstChild = 0;
            if (owner.firstChild == 0) {
                owner.firstChild = index;
                made.prevSibling = index;
                made.levelFlags = level | WasFirstChild;
            } else {
                ElementRecord& firstSibling = At(owner.firstChild);
                At(firstSibling.prevSibling).nextSibling = index;
                made.prevSibling = firstSibling.prevSibling;
                firstSibling.prevSibling = index;
                made.levelFlags = level;
            }
            made.start = info.start;
            made.tagLengths = info.length;
            if ((info.flags & TokenInfo::EmptyElement) != 0) {
                made.length = info.length;
            } else {
                // Open: the stack entry keeps the start tag and its name.
                ++depth;
                current = index;
                if (static_cast<size_t>(depth) == openTags.size()) {
                    openTags.resize(2 * openTags.size() + 6);
                }
            }
            break;
        }
        case TokenKind::EndTag: {
            if (info.length > ElementRecord::kEndTagMax) {
                MarkError(parentIndex, current,
                          FormatText("Element end tag at offset %d too long", info.start));
                break;
            }
            int32_t element = current;
            int32_t entry = depth - 1;
            while (entry >= 0 && !NameMatches(cursor, openTags[static_cast<size_t>(entry)].name.c_str())) {
                element = At(element).parent;
                --entry;
            }
            if (entry < 0) {
                const std::string endName(cursor.text + cursor.nameStart,
                                          static_cast<size_t>(cursor.nameEnd - cursor.nameStart + 1));
                MarkError(parentIndex, current,
                          FormatText("No start tag for end tag '%s' at offset %d", endName.c_str(),
                                     info.start));
                break;
            }
            ElementRecord& closed = At(element);
            closed.length = info.start + info.length - closed.start;
            closed.tagLengths = PackTagLengths(closed.StartTagLength(), info.length);
            // Elements still open inside it had no end tag.
            while (depth - 1 > entry) {
                lifted |= CloseUnended(parentIndex, current, openTags[static_cast<size_t>(depth - 1)],
                                       &cursor);
                --depth;
                current = At(current).parent;
            }
            current = At(element).parent;
            depth = entry;
            break;
        }
        case TokenKind::Malformed:
            MarkError(parentIndex, current, info.name);
            break;
        case TokenKind::EndOfText:
            while (depth > 0) {
                lifted |= CloseUnended(parentIndex, current, openTags[static_cast<size_t>(depth - 1)],
                                       nullptr);
                --depth;
                current = At(current).parent;
            }
            if (lifted) {
                MendParentLinks(parentIndex, firstMade);
            }
            return first;
        default:
            break;
        }
    }
}

} // namespace markup
