// The element table's structural invariant, checked after every parse by the
// unit tests and the fuzz target: every link points at a record in use, each
// element sits in exactly one child list, parent and sibling links agree with
// those lists, and every record covers a start tag inside the text.
#pragma once

#include "markup/MarkupDoc.h"

#include <string>
#include <vector>

namespace markup {

// The first broken rule, or an empty string when the table is sound.
inline std::string FindTableFault(const MarkupDoc& doc) {
    const int32_t used = doc.UsedCount();
    if (used < 1 || used > doc.Capacity()) {
        return "usedCount " + std::to_string(used) + " outside the table";
    }
    const auto textSize = static_cast<int64_t>(doc.Text().size());
    const ElementRecord& document = doc.Record(0);
    constexpr int32_t kDocumentFlags = MarkupDoc::IllFormed | MarkupDoc::HasError;
    if (document.start != 0 || document.parent != 0 || document.nextSibling != 0 ||
        document.prevSibling != 0 || (document.levelFlags & ~kDocumentFlags) != 0 ||
        document.length != textSize) {
        return "record 0 is not a document record";
    }

    const auto link = [used](int32_t index) { return index >= 0 && index < used; };
    for (int32_t i = 1; i < used; ++i) {
        const ElementRecord& record = doc.Record(i);
        const std::string where = "record " + std::to_string(i) + ": ";
        if (!link(record.parent) || !link(record.firstChild) || !link(record.nextSibling) ||
            !link(record.prevSibling) || record.prevSibling == 0) {
            return where + "link outside the records in use";
        }
        // Records are made in document order, so links to later elements
        // point forward; this also rules out cycles.
        if (record.parent >= i || (record.firstChild != 0 && record.firstChild <= i) ||
            (record.nextSibling != 0 && record.nextSibling <= i)) {
            return where + "link against document order";
        }
        if (record.start < 0 || record.start >= textSize || doc.Text()[record.start] != '<' ||
            record.StartTagLength() < 1 || record.length < record.StartTagLength() ||
            record.start + static_cast<int64_t>(record.length) > textSize) {
            return where + "does not cover a start tag inside the text";
        }
    }

    std::vector<bool> listed(static_cast<size_t>(used), false);
    for (int32_t owner = 0; owner < used; ++owner) {
        const int32_t first = doc.Record(owner).firstChild;
        int32_t last = 0;
        for (int32_t child = first; child != 0; child = doc.Record(child).nextSibling) {
            const std::string where = "child " + std::to_string(child) + " of " + std::to_string(owner) + ": ";
            if (listed[static_cast<size_t>(child)]) {
                return where + "in two child lists";
            }
            listed[static_cast<size_t>(child)] = true;
            if (doc.Record(child).parent != owner) {
                return where + "parent link disagrees";
            }
            if (child != first && doc.Record(child).prevSibling != last) {
                return where + "previous-sibling link disagrees";
            }
            last = child;
        }
        if (first != 0 && doc.Record(first).prevSibling != last) {
            return "first child of " + std::to_string(owner) + " does not link the last child";
        }
    }
    for (int32_t i = 1; i < used; ++i) {
        if (!listed[static_cast<size_t>(i)]) {
            return "record " + std::to_string(i) + " is in no child list";
        }
    }
    return {};
}

} // namespace markup
